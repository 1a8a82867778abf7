#pragma once

#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include <memory>

#include "compose/MailPopoverModel.hpp"
#include "compose_views/Bindings.hpp"
#include "ui/AlertDialog.hpp"
#include "ui/SegmentedPicker.hpp"

namespace quorbel::views {

class WritePanel;
class AIAgentPanel;
class VoiceAgentPanel;
class DraftArea;
class ResizeHandleView;

// The assistant's popover: the mode picker above a scrolling area with the
// mode's panel and the draft, the resize grip in the bottom-right corner,
// and the "Unsaved Changes" alert. Its size follows the model's.
class MailPopoverView : public QWidget {
 public:
  MailPopoverView(std::shared_ptr<MailPopoverModel> popover, QWidget* parent = nullptr);

  MailPopoverModel& popover() const { return *popover_; }
  ui::SegmentedPicker* modePicker() const { return modes_; }
  WritePanel* writePanel() const { return write_; }
  AIAgentPanel* agentPanel() const { return agent_; }
  VoiceAgentPanel* voicePanel() const { return voice_; }
  DraftArea* draftArea() const { return draftArea_; }
  ResizeHandleView* resizeHandle() const { return grip_; }
  QScrollArea* scrollArea() const { return scroll_; }
  // The alert while it is up.
  ui::AlertDialog* modeChangeAlert() const { return alert_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void presentModeChangeAlert();
  void placeGrip();

  std::shared_ptr<MailPopoverModel> popover_;
  ui::SegmentedPicker* modes_;
  QScrollArea* scroll_;
  WritePanel* write_;
  AIAgentPanel* agent_;
  VoiceAgentPanel* voice_;
  DraftArea* draftArea_;
  ResizeHandleView* grip_;
  QPointer<ui::AlertDialog> alert_;
  bool appeared_ = false;
  Bindings bindings_;
};

}  // namespace quorbel::views
