#include "foundation/LineSplitter.hpp"

#include <algorithm>

namespace platform {

bool LineSplitter::keep(std::string_view unfinished) {
  if (partial_.size() + unfinished.size() > maxLineBytes_) {
    overLong_ = true;
    partial_.clear();
    partial_.shrink_to_fit();
    return false;
  }
  partial_.append(unfinished);
  peakBufferedBytes_ = std::max(peakBufferedBytes_, partial_.size());
  return true;
}

bool LineSplitter::feed(std::string_view piece, const LineHandler& onLine) {
  if (overLong_) return false;
  if (skipLineFeed_ && !piece.empty()) {
    skipLineFeed_ = false;
    if (piece.front() == '\n') piece.remove_prefix(1);
  }
  while (!piece.empty()) {
    const auto end = piece.find_first_of("\r\n");
    if (end == std::string_view::npos) return keep(piece);
    const std::string_view rest = piece.substr(0, end);
    if (partial_.empty()) {
      if (rest.size() > maxLineBytes_) return keep(rest);
      onLine(rest);  // the whole line lies in this piece: no copy
    } else {
      if (!keep(rest)) return false;
      onLine(partial_);
      partial_.clear();
    }
    std::size_t breakLength = 1;
    if (piece[end] == '\r') {
      if (end + 1 == piece.size()) skipLineFeed_ = true;
      else if (piece[end + 1] == '\n') breakLength = 2;
    }
    piece.remove_prefix(end + breakLength);
  }
  return true;
}

bool LineSplitter::finish(const LineHandler& onLine) {
  if (overLong_) return false;
  if (!partial_.empty()) onLine(partial_);
  partial_.clear();
  skipLineFeed_ = false;
  return true;
}

}  // namespace platform
