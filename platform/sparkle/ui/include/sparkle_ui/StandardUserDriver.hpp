#pragma once

#include <QDialog>
#include <QPointer>

#include "sparkle/UserDriver.hpp"

namespace sparkle_ui {

// The framework's standard dialogs: the program is up to date; a newer
// release with its notes and a button that opens its download page in the
// browser; or what kept the check from finishing. One dialog at a time: a
// new one replaces the one still open. They open in front of, and attached
// to, the host window when there is one: a check the program starts by
// itself would otherwise open behind it. Main thread only.
class StandardUserDriver : public sparkle::UserDriver {
 public:
  void showUpdateFound(const sparkle::AppcastItem& item, const sparkle::UpdaterConfiguration& host) override;
  void showUpdateNotFound(const sparkle::UpdaterConfiguration& host) override;
  void showUpdaterError(const platform::ErrorPtr& error) override;

  void setHostWindow(QWidget* window) { hostWindow_ = window; }

  // The dialog on screen, if any.
  QDialog* currentDialog() const { return dialog_; }

 private:
  void present(QDialog* dialog);

  QPointer<QDialog> dialog_;
  QPointer<QWidget> hostWindow_;
};

}  // namespace sparkle_ui
