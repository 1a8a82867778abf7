#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

// The general pasteboard. Without a display it keeps its text in memory; the
// Qt programs connect it to the system clipboard.
class Pasteboard {
 public:
  struct Backend {
    std::function<void(const std::string&)> write;
    std::function<std::optional<std::string>()> read;
  };

  static Pasteboard& general();
  void setBackend(Backend backend);

  void clearContents();
  void setString(const std::string& text);
  std::optional<std::string> string() const;

 private:
  Backend backend_;
  std::optional<std::string> memory_;
};

}  // namespace platform
