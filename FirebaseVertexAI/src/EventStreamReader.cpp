#include "FirebaseVertexAI/EventStreamReader.hpp"

#include <algorithm>

#include "FirebaseVertexAI/GenerativeAIService.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "foundation/Json.hpp"
#include "foundation/Text.hpp"

namespace firebase::vertexai {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The service's error object, sent where a response would stand.
bool holdsErrorObject(std::string_view json) {
  auto value = platform::json::parse(json);
  return value && value->is_object() && value->contains("error");
}

}  // namespace

EventStreamReader::EventStreamReader(std::size_t maxLineBytes, ErrorReader readError)
    : maxLineBytes_(maxLineBytes), readError_(std::move(readError)), lines_(maxLineBytes) {}

platform::ErrorPtr EventStreamReader::splitterResult(bool accepted) {
  if (!accepted && !error_) error_ = GenerativeAIService::tooLongError(maxLineBytes_);
  return error_;
}

platform::ErrorPtr EventStreamReader::read(std::string_view piece, const ResponseHandler& onResponse) {
  if (error_) return error_;
  if (!bodyStarted_) {
    // The mark may come cut over several pieces.
    const std::size_t taken = std::min(piece.size(), kByteOrderMark.size() - bodyStart_.size());
    bodyStart_.append(piece.substr(0, taken));
    piece.remove_prefix(taken);
    if (bodyStart_.size() < kByteOrderMark.size() && kByteOrderMark.starts_with(bodyStart_)) return nullptr;
    bodyStarted_ = true;
    if (bodyStart_ != kByteOrderMark)
      if (auto error = readLines(bodyStart_, onResponse)) return error;
    bodyStart_.clear();
  }
  return readLines(piece, onResponse);
}

platform::ErrorPtr EventStreamReader::finish(const ResponseHandler& onResponse) {
  if (error_) return error_;
  if (!bodyStarted_) {
    bodyStarted_ = true;
    if (auto error = readLines(bodyStart_, onResponse)) return error;
  }
  if (auto error = splitterResult(lines_.finish([&](std::string_view line) { readLine(line, onResponse); })))
    return error;
  dispatchEvent(onResponse);
  return error_;
}

platform::ErrorPtr EventStreamReader::readLines(std::string_view bytes, const ResponseHandler& onResponse) {
  return splitterResult(lines_.feed(bytes, [&](std::string_view line) { readLine(line, onResponse); }));
}

void EventStreamReader::readLine(std::string_view line, const ResponseHandler& onResponse) {
  if (error_) return;  // the rest of the piece after a failed event
  if (vertexAIWouldLog(kGULLoggerLevelDebug))
    logVertexAI(kGULLoggerLevelDebug, VertexLogMessageCode::generateContentResponseStreamLine,
                "Stream response: " + platform::text::repairUTF8(line));
  if (line.empty()) return dispatchEvent(onResponse);
  if (line.starts_with(':')) return;  // a comment
  const auto colon = line.find(':');
  const std::string_view field = line.substr(0, colon);
  if (field == "data") {
    std::string_view value = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
    if (value.starts_with(' ')) value.remove_prefix(1);
    return addData(value);
  }
  if (field == "event" || field == "id" || field == "retry") return;
  if (extraText_.size() + line.size() > maxLineBytes_) {
    error_ = GenerativeAIService::tooLongError(maxLineBytes_);
    return;
  }
  extraText_.append(line);
}

void EventStreamReader::addData(std::string_view value) {
  if (value.empty()) return;
  const std::size_t separator = eventData_.empty() ? 0 : 1;
  if (eventData_.size() + separator + value.size() > maxLineBytes_) {
    error_ = GenerativeAIService::tooLongError(maxLineBytes_);
    return;
  }
  if (separator) eventData_ += '\n';
  eventData_.append(value);
}

void EventStreamReader::dispatchEvent(const ResponseHandler& onResponse) {
  if (eventData_.empty()) return;
  const std::string data = std::exchange(eventData_, std::string());
  if (!platform::text::isValidUTF8(data)) {
    error_ = GenerativeAIService::notUTF8Error();
    return;
  }
  auto response = GenerateContentResponse::decode(data, platform::json::KeyDecoding::acceptSnakeCase);
  if (response) return onResponse(std::move(*response));
  if (holdsErrorObject(data)) {
    error_ = readError_(data);
    return;
  }
  GenerativeAIService::logUndecodableBody(data, response.error());
  error_ = response.error();
}

}  // namespace firebase::vertexai
