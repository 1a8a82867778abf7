#include "foundation/Pasteboard.hpp"

namespace platform {

Pasteboard& Pasteboard::general() {
  static Pasteboard pasteboard;
  return pasteboard;
}

void Pasteboard::setBackend(Backend backend) { backend_ = std::move(backend); }

void Pasteboard::clearContents() {
  if (backend_.write) {
    backend_.write({});
    return;
  }
  memory_.reset();
}

void Pasteboard::setString(const std::string& text) {
  if (backend_.write) {
    backend_.write(text);
    return;
  }
  memory_ = text;
}

std::optional<std::string> Pasteboard::string() const {
  if (backend_.read) return backend_.read();
  return memory_;
}

}  // namespace platform
