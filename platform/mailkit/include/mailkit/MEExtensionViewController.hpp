#pragma once

namespace mailkit {

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

// A view controller that Mail shows for the extension. Mail calls loadView()
// once before it shows the view, then sizes the view to
// preferredContentSize. The view itself is drawn by the host's window
// toolkit, which finds it through the controller's type.
class MEExtensionViewController {
 public:
  virtual ~MEExtensionViewController() = default;
  virtual void loadView() {}
  Size preferredContentSize;
};

}  // namespace mailkit
