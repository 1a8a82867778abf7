#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "FirebaseVertexAI/FirebaseInfo.hpp"
#include "FirebaseVertexAI/GenerateContentRequest.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/GenerativeAIRequest.hpp"
#include "FirebaseVertexAI/Operation.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

// Turns one request of the client into one HTTPS exchange with the backend
// and back into a decoded response or an error: a one-shot exchange, or a
// stream of server-sent events with one response per event. It keeps
// no state between requests; any number may run at once.
class GenerativeAIService {
 public:
  // The most one line of a stream (or the error body of a stream) may hold:
  // the URL session's limit on one reply body, which one-shot replies get.
  static constexpr std::size_t kMaxReplyBytes = platform::kMaximumReplyBodyBytes;

  GenerativeAIService(FirebaseInfo firebaseInfo, platform::URLSession& urlSession)
      : firebaseInfo_(std::move(firebaseInfo)), urlSession_(&urlSession) {}

  const FirebaseInfo& firebaseInfo() const { return firebaseInfo_; }

  // Sends the request; delivers the decoded response of a 200 reply, or the
  // error: transport, backend error, HTTP status, decoding.
  template <GenerativeAIRequest R>
  OperationHandle performRequest(const R& request, platform::DispatchQueue& queue,
                                 Completion<typename R::Response> completion) const;

  // What a stream refuses to deliver (a blocked prompt, a reply stopped
  // early): the error that ends it instead, or null to let the response pass.
  using ResponseCheck = std::function<platform::ErrorPtr(const GenerateContentResponse&)>;

  // Sends the request and reads the reply as server-sent events: delivers
  // one response per event, in order, then the end or the error. A
  // response the check refuses ends the stream with its error and stops the
  // exchange; after the end nothing more reaches the queue.
  OperationHandle performStreamRequest(const GenerateContentRequest& request, platform::DispatchQueue& queue,
                                       StreamHandlers<GenerateContentResponse> handlers, ResponseCheck refuse) const;

  // --- The steps of an exchange ---

  // What sending takes of a request value.
  struct PreparedRequest {
    Result<platform::URL> url;
    double timeout = 0;
    Result<std::string> body;  // the encoded request
  };
  template <GenerativeAIRequest R>
  static PreparedRequest prepare(const R& request) {
    return {request.url(), RequestOptions(request.options).timeout, encodeJSON(request)};
  }

  // The URL request: POST to the URL with the key, client, content-type,
  // token and app headers in that order, the body and the request's
  // time-out. Token providers are asked first; the completion may run on
  // any thread.
  void buildURLRequest(PreparedRequest request, std::function<void(Result<platform::URLRequest>)> completion) const;
  // The response as an HTTP response, or the bad-server-response error.
  static Result<platform::HTTPURLResponse> httpResponse(const std::optional<platform::HTTPURLResponse>& response);
  // Decodes a 200 body; a failure is logged with the body.
  template <typename T>
  static Result<T> parseResponse(std::string_view body);
  // Logs a 200 body that did not decode, and what was wrong in it and where.
  static void logUndecodableBody(std::string_view body, const platform::ErrorPtr& error);
  // The backend's error in the body, or the decoding error when it holds none.
  platform::ErrorPtr decodeBackendError(std::string_view body) const;
  // The same for a body read as text.
  platform::ErrorPtr parseError(std::string_view responseBody) const;
  // A reply with a status other than 200: the backend's error when the body
  // holds one, else an error with the status and the start of the body.
  platform::ErrorPtr errorForStatus(int statusCode, std::string_view body) const;

  // "fire/" and the core's version.
  static const std::string& fireVersionTag();

  // The decoding error of a body that is not UTF-8 text.
  static platform::ErrorPtr notUTF8Error();
  // The error of a line or an event of a stream (or a stream's error body)
  // longer than the limit.
  static platform::ErrorPtr tooLongError(std::size_t limit);

 private:
  // Sends a prepared request; `onBody` gets the body of a 200 reply or the
  // error, on the session's thread.
  OperationHandle send(PreparedRequest request, std::function<void(Result<std::string>)> onBody) const;

  FirebaseInfo firebaseInfo_;
  platform::URLSession* urlSession_;
};

// ---------------------------------------------------------------------------

template <typename T>
Result<T> GenerativeAIService::parseResponse(std::string_view body) {
  auto decoded = T::decode(body);
  if (!decoded) logUndecodableBody(body, decoded.error());
  return decoded;
}

template <GenerativeAIRequest R>
OperationHandle GenerativeAIService::performRequest(const R& request, platform::DispatchQueue& queue,
                                                    Completion<typename R::Response> completion) const {
  return send(prepare(request), [&queue, completion = std::move(completion)](Result<std::string> body) {
    // Decoded here, off the caller's queue; delivered there.
    Result<typename R::Response> result =
        body ? parseResponse<typename R::Response>(*body) : std::unexpected(body.error());
    queue.async([completion, result = std::move(result)]() mutable { completion(std::move(result)); });
  });
}

}  // namespace firebase::vertexai
