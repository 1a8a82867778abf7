#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "foundation/Error.hpp"
#include "foundation/LineSplitter.hpp"

namespace firebase::vertexai {

// Reads the body of a streamed reply with status 200 as it arrives, in the
// event-stream format: an event is the "data:" lines up to an empty line,
// joined with "\n", and holds one response; the end of the body ends the last
// event too. A byte-order mark at the start, comment lines (":"), the
// "event", "id" and "retry" fields and empty "data:" lines are skipped. An
// event holding the service's error object ({"error": {...}}) in place of a
// response ends the stream with that error. Any other text is kept, run
// together, for the caller to read as an error body once the stream ends.
// Memory stays bounded by the limit, which holds for one line, one event's
// data and the kept text each.
class EventStreamReader {
 public:
  using ResponseHandler = std::function<void(GenerateContentResponse response)>;
  // The error that an error object of the service stands for.
  using ErrorReader = std::function<platform::ErrorPtr(std::string_view json)>;

  EventStreamReader(std::size_t maxLineBytes, ErrorReader readError);

  // Reads a piece of the body, handing over each decoded response in order.
  // Returns the error that ends the stream when an event cannot be read (too
  // long, not UTF-8, not a response) or holds an error; nothing is read after it.
  platform::ErrorPtr read(std::string_view piece, const ResponseHandler& onResponse);
  // At the end of the body: reads the last line and event, as read() does.
  platform::ErrorPtr finish(const ResponseHandler& onResponse);

  // The lines that were neither event-stream fields nor empty.
  const std::string& extraText() const { return extraText_; }
  const platform::LineSplitter& lines() const { return lines_; }

 private:
  // The body after a byte-order mark at its start.
  platform::ErrorPtr readLines(std::string_view bytes, const ResponseHandler& onResponse);
  void readLine(std::string_view line, const ResponseHandler& onResponse);
  void addData(std::string_view value);
  void dispatchEvent(const ResponseHandler& onResponse);
  platform::ErrorPtr splitterResult(bool accepted);

  std::size_t maxLineBytes_;
  ErrorReader readError_;
  // The first bytes of the body, until they are known not to begin with a
  // byte-order mark.
  std::string bodyStart_;
  bool bodyStarted_ = false;
  platform::LineSplitter lines_;
  std::string eventData_;
  std::string extraText_;
  platform::ErrorPtr error_;
};

}  // namespace firebase::vertexai
