#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Cuts a byte stream into lines as its pieces arrive, the way line reading
// over a body does: a line ends at "\n", "\r\n" or "\r", and the break is
// not part of the line. Only the unfinished line is kept between pieces, so
// memory stays bounded by the longest line however long the stream runs; a
// line that grows past the cap stops the splitter instead.
class LineSplitter {
 public:
  using LineHandler = std::function<void(std::string_view line)>;

  explicit LineSplitter(std::size_t maxLineBytes) : maxLineBytes_(maxLineBytes) {}

  // Hands every line the piece completes to `onLine`, in order. False once a
  // line is longer than the cap; the splitter then takes nothing more.
  bool feed(std::string_view piece, const LineHandler& onLine);
  // At the end of the stream: hands over the last line when it did not end
  // with a break. False when the splitter had stopped.
  bool finish(const LineHandler& onLine);

  bool isOverLong() const { return overLong_; }
  // The bytes of the unfinished line held now.
  std::size_t bufferedBytes() const { return partial_.size(); }
  // The most that was ever held at once.
  std::size_t peakBufferedBytes() const { return peakBufferedBytes_; }

 private:
  bool keep(std::string_view unfinished);

  std::size_t maxLineBytes_;
  std::string partial_;
  bool skipLineFeed_ = false;  // the last piece ended in "\r": a "\n" next belongs to it
  bool overLong_ = false;
  std::size_t peakBufferedBytes_ = 0;
};

}  // namespace platform
