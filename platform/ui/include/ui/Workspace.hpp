#pragma once

#include <QUrl>

#include <functional>

namespace ui {

// Opens addresses with the desktop's own handler (a web page in the default
// browser). Tests put a recorder in the desktop's place. Use on the GUI thread.
class Workspace {
 public:
  using Opener = std::function<bool(const QUrl& url)>;

  static Workspace& shared();

  // Whether the desktop took the address; nobody is told otherwise.
  bool openURL(const QUrl& url);
  // Replaces the desktop's opener; an empty one brings it back.
  void setOpener(Opener opener);

 private:
  Opener opener_;
};

}  // namespace ui
