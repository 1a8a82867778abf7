#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "foundation/Error.hpp"
#include "foundation/LineSplitter.hpp"

namespace firebase::vertexai {

// Reads the body of a streamed reply with status 200 as it arrives: server-
// sent events, each "data:" line holding one response. Comment lines (":")
// and the "event", "id" and "retry" fields belong to the event-stream format
// and are skipped, as are empty lines; any other text is kept, run together,
// for the caller to read as an error body once the stream ends. Memory stays
// bounded by the longest line.
class EventStreamReader {
 public:
  using ResponseHandler = std::function<void(GenerateContentResponse response)>;

  explicit EventStreamReader(std::size_t maxLineBytes);

  // Reads a piece of the body, handing over each decoded response in order.
  // Returns the error that ends the stream when a line cannot be read (too
  // long, not UTF-8, not a response); nothing is read after it.
  platform::ErrorPtr read(std::string_view piece, const ResponseHandler& onResponse);
  // At the end of the body: reads the last line, as read() does.
  platform::ErrorPtr finish(const ResponseHandler& onResponse);

  // The lines that were neither data, event-stream fields nor empty.
  const std::string& extraText() const { return extraText_; }
  const platform::LineSplitter& lines() const { return lines_; }

 private:
  void readLine(std::string_view line, const ResponseHandler& onResponse);
  platform::ErrorPtr splitterResult(bool accepted);

  std::size_t maxLineBytes_;
  platform::LineSplitter lines_;
  std::string extraText_;
  platform::ErrorPtr error_;
};

}  // namespace firebase::vertexai
