#include "FirebaseVertexAI/EventStreamReader.hpp"

#include "FirebaseVertexAI/GenerativeAIService.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "foundation/Text.hpp"

namespace firebase::vertexai {
namespace {

constexpr std::string_view kDataPrefix = "data:";

// A comment, or one of the fields other than data that a server may send.
bool isEventStreamField(std::string_view line) {
  if (line.starts_with(':')) return true;
  for (std::string_view field : {"event", "id", "retry"})
    if (line.starts_with(field) && (line.size() == field.size() || line[field.size()] == ':')) return true;
  return false;
}

}  // namespace

EventStreamReader::EventStreamReader(std::size_t maxLineBytes) : maxLineBytes_(maxLineBytes), lines_(maxLineBytes) {}

platform::ErrorPtr EventStreamReader::splitterResult(bool accepted) {
  if (!accepted && !error_) error_ = GenerativeAIService::tooLongError(maxLineBytes_);
  return error_;
}

platform::ErrorPtr EventStreamReader::read(std::string_view piece, const ResponseHandler& onResponse) {
  if (error_) return error_;
  return splitterResult(lines_.feed(piece, [&](std::string_view line) { readLine(line, onResponse); }));
}

platform::ErrorPtr EventStreamReader::finish(const ResponseHandler& onResponse) {
  if (error_) return error_;
  return splitterResult(lines_.finish([&](std::string_view line) { readLine(line, onResponse); }));
}

void EventStreamReader::readLine(std::string_view line, const ResponseHandler& onResponse) {
  if (error_) return;  // the rest of the piece after a failed line
  if (vertexAIWouldLog(kGULLoggerLevelDebug))
    logVertexAI(kGULLoggerLevelDebug, VertexLogMessageCode::generateContentResponseStreamLine,
                "Stream response: " + platform::text::repairUTF8(line));
  if (line.starts_with(kDataPrefix)) {
    const std::string_view json = line.substr(kDataPrefix.size());
    if (!platform::text::isValidUTF8(json)) {
      error_ = GenerativeAIService::notUTF8Error();
      return;
    }
    auto response = GenerativeAIService::parseStreamResponse(json);
    if (!response) {
      error_ = response.error();
      return;
    }
    onResponse(std::move(*response));
    return;
  }
  if (line.empty() || isEventStreamField(line)) return;
  if (extraText_.size() + line.size() > maxLineBytes_) {
    error_ = GenerativeAIService::tooLongError(maxLineBytes_);
    return;
  }
  extraText_.append(line);
}

}  // namespace firebase::vertexai
