#include "FirebaseVertexAI/GenerativeAIService.hpp"

#include <fmt/format.h>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/EventStreamReader.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "DecodingFailureDescription.hpp"
#include "QuotedServerText.hpp"
#include "StreamDelivery.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/Version.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/LineSplitter.hpp"
#include "foundation/Text.hpp"

namespace firebase::vertexai {

using platform::ErrorPtr;
using platform::HTTPURLResponse;
using platform::URLRequest;

namespace {

constexpr double kInitialTimeout = 60;
// How much of a body that is no backend error an HTTP status error quotes.
constexpr std::size_t kQuotedBodyCharacters = 200;
constexpr const char* kConsoleAddress = "https://console.firebase.google.com";
constexpr const char* kHTTPStatusErrorDomain = "FirebaseVertexAI.HTTPStatusError";

// How the platform prints an HTTP response in logs.
std::string describe(const HTTPURLResponse& response) {
  std::string headers;
  for (const auto& [name, value] : response.headers) headers += fmt::format("    \"{}\" = \"{}\";\n", name, value);
  return fmt::format("<NSHTTPURLResponse> {{ URL: {} }} {{ Status Code: {}, Headers {{\n{}}} }}", response.url,
                     response.statusCode, headers);
}

void logError(VertexLogMessageCode code, const std::string& message) {
  logVertexAI(kGULLoggerLevelError, code, message);
}

// A URL request while it is being built: the steps that wait for a token
// provider go on from its callback.
struct URLRequestBuild {
  URLRequest request;
  GenerativeAIService::PreparedRequest prepared;
  FirebaseInfo info;
  std::function<void(Result<URLRequest>)> completion;
};

void finishBuild(const std::shared_ptr<URLRequestBuild>& build) {
  auto& request = build->request;
  if (build->info.app && build->info.app->isDataCollectionDefaultEnabled()) {
    request.headers.emplace_back("X-Firebase-AppId", build->info.firebaseAppID);
    const auto* version = platform::Bundle::main().objectForInfoDictionaryKey("CFBundleShortVersionString");
    if (version && version->asString()) request.headers.emplace_back("X-Firebase-AppVersion", *version->asString());
  }
  if (!build->prepared.body) return build->completion(std::unexpected(build->prepared.body.error()));
  request.body = std::move(*build->prepared.body);
  request.timeoutInterval = build->prepared.timeout;
  build->completion(std::move(request));
}

void addAuthToken(const std::shared_ptr<URLRequestBuild>& build) {
  if (!build->info.auth) return finishBuild(build);
  build->info.auth->getTokenForcingRefresh(false, [build](std::optional<std::string> token, ErrorPtr error) {
    if (error) return build->completion(std::unexpected(error));
    if (token) build->request.headers.emplace_back("Authorization", "Firebase " + *token);
    finishBuild(build);
  });
}

void addAppCheckToken(const std::shared_ptr<URLRequestBuild>& build) {
  if (!build->info.appCheck) return addAuthToken(build);
  build->info.appCheck->getTokenForcingRefresh(false, [build](FIRAppCheckTokenResult result) {
    build->request.headers.emplace_back("X-Firebase-AppCheck", result.token);
    if (result.error)
      logError(VertexLogMessageCode::appCheckTokenFetchFailed,
               "Failed to fetch AppCheck token. Error: " + result.error->localizedDescription());
    addAuthToken(build);
  });
}

void logStatusError(VertexLogMessageCode responseCode, VertexLogMessageCode payloadCode,
                    const HTTPURLResponse& response, std::string_view body) {
  logError(responseCode, "The server responded with an error: " + describe(response));
  if (platform::text::isValidUTF8(body)) logError(payloadCode, "Response payload: " + std::string(body));
}

// One streamed exchange, driven by the URL session's thread: the status,
// then the body as it arrives, then the end.
class StreamExchange {
 public:
  StreamExchange(GenerativeAIService service, std::shared_ptr<StreamDelivery<GenerateContentResponse>> delivery,
                 std::shared_ptr<Operation> operation, GenerativeAIService::ResponseCheck refuse)
      : service_(std::move(service)), delivery_(std::move(delivery)), operation_(std::move(operation)),
        refuse_(std::move(refuse)),
        events_(GenerativeAIService::kMaxReplyBytes, [this](std::string_view json) { return service_.parseError(json); }),
        errorLines_(GenerativeAIService::kMaxReplyBytes) {}

  void begin(const HTTPURLResponse& response) {
    response_ = response;
    if (response.statusCode != 200)
      logError(VertexLogMessageCode::loadRequestStreamResponseError,
               "The server responded with an error: " + describe(response));
  }

  void take(std::string_view piece) {
    if (delivery_->hasEnded()) return;
    if (isSuccess()) {
      if (auto error = events_.read(piece, yield())) fail(error);
    } else if (!errorBodyLimit_.admit(piece.size())) {
      // An error body is one reply body, held whole: it gets a one-shot
      // reply's limit.
      fail(errorBodyLimit_.exceededError(response_ ? response_->url : std::string()));
    } else if (!errorLines_.feed(piece, collectErrorLine())) {
      fail(GenerativeAIService::tooLongError(GenerativeAIService::kMaxReplyBytes));
    }
  }

  void finish(ErrorPtr transportError) {
    if (transportError) return delivery_->end(transportError);
    auto http = GenerativeAIService::httpResponse(response_);
    if (!http) return delivery_->end(http.error());
    if (!isSuccess()) {
      if (!errorLines_.finish(collectErrorLine()))
        return fail(GenerativeAIService::tooLongError(GenerativeAIService::kMaxReplyBytes));
      logError(VertexLogMessageCode::loadRequestStreamResponseErrorPayload, "Response payload: " + errorBody_);
      return delivery_->end(service_.errorForStatus(response_->statusCode, errorBody_));
    }
    if (auto error = events_.finish(yield())) return delivery_->end(error);
    if (!events_.extraText().empty()) return delivery_->end(service_.parseError(events_.extraText()));
    delivery_->end(nullptr);
  }

 private:
  bool isSuccess() const { return response_ && response_->statusCode == 200; }

  EventStreamReader::ResponseHandler yield() {
    return [this](GenerateContentResponse response) {
      // Checked here rather than on the caller's queue, so that the delivery
      // itself ends and the stopped exchange's own end is dropped.
      if (auto refused = refuse_(response)) return fail(std::move(refused));
      delivery_->yield(std::move(response));
    };
  }

  platform::LineSplitter::LineHandler collectErrorLine() {
    return [this](std::string_view line) {
      errorBody_ += platform::text::repairUTF8(line);
      errorBody_ += '\n';
    };
  }

  // Ends the stream and stops the exchange, which has nothing more to give.
  void fail(ErrorPtr error) {
    delivery_->end(std::move(error));
    operation_->cancel();
  }

  GenerativeAIService service_;
  std::shared_ptr<StreamDelivery<GenerateContentResponse>> delivery_;
  std::shared_ptr<Operation> operation_;
  GenerativeAIService::ResponseCheck refuse_;
  std::optional<HTTPURLResponse> response_;
  EventStreamReader events_;
  platform::LineSplitter errorLines_;
  platform::ReplyBodyLimit errorBodyLimit_;
  std::string errorBody_;
};

}  // namespace

const std::string& GenerativeAIService::fireVersionTag() {
  static const std::string tag = "fire/" + FIRFirebaseVersion();
  return tag;
}

ErrorPtr GenerativeAIService::notUTF8Error() {
  return std::make_shared<platform::json::DecodingError>(platform::json::DecodingError::Kind::dataCorrupted,
                                                         std::vector<std::string>{}, "Could not parse response as UTF8.");
}

ErrorPtr GenerativeAIService::tooLongError(std::size_t limit) {
  return platform::makeError(platform::kURLErrorDomain, platform::URLErrorDataLengthExceedsMaximum,
                             fmt::format("A line or event of the stream is longer than the limit of {}.",
                                         platform::describeByteCount(limit)));
}

void GenerativeAIService::buildURLRequest(PreparedRequest prepared,
                                          std::function<void(Result<URLRequest>)> completion) const {
  if (!prepared.url) return completion(std::unexpected(prepared.url.error()));
  URLRequest request;
  request.url = prepared.url->absoluteString();
  request.method = "POST";
  request.timeoutInterval = kInitialTimeout;
  request.headers = {{"x-goog-api-key", firebaseInfo_.apiKey},
                     {"x-goog-api-client", "gl-swift/5 " + fireVersionTag()},
                     {"Content-Type", "application/json"}};
  addAppCheckToken(std::make_shared<URLRequestBuild>(
      URLRequestBuild{std::move(request), std::move(prepared), firebaseInfo_, std::move(completion)}));
}

Result<HTTPURLResponse> GenerativeAIService::httpResponse(const std::optional<HTTPURLResponse>& response) {
  if (response) return *response;
  logError(VertexLogMessageCode::generativeAIServiceNonHTTPResponse,
           "Response wasn't an HTTP response, internal error (no response)");
  return std::unexpected(
      platform::makeError(platform::kURLErrorDomain, platform::URLErrorBadServerResponse, "Response was not an HTTP response."));
}

void GenerativeAIService::logUndecodableBody(std::string_view body, const ErrorPtr& error) {
  if (platform::text::isValidUTF8(body))
    logError(VertexLogMessageCode::loadRequestParseResponseFailedJSON, "JSON response: " + std::string(body));
  logError(VertexLogMessageCode::loadRequestParseResponseFailedJSONError,
           "Error decoding server JSON: " + describeDecodingFailure(error));
}

ErrorPtr GenerativeAIService::decodeBackendError(std::string_view body) const {
  auto error = BackendError::errorFromBody(body);
  const auto* backendError = platform::errorAs<BackendError>(error);
  if (backendError && backendError->isServiceDisabledError())
    logError(VertexLogMessageCode::firebaseMLAPIDisabled,
             fmt::format("The Vertex AI in Firebase SDK requires the Vertex AI in Firebase API (`{}`) to be enabled "
                         "in your Firebase project. Enable this API by visiting the Firebase Console at\n{}/project/{}"
                         "/genai/ and clicking \"Get started\". If you enabled this API recently, wait a few minutes "
                         "for the action to propagate to our systems and then retry.",
                         hostName(APIConfig::Service::Endpoint::firebaseVertexAIProd), kConsoleAddress,
                         firebaseInfo_.projectID));
  return error;
}

ErrorPtr GenerativeAIService::parseError(std::string_view responseBody) const {
  if (!platform::text::isValidUTF8(responseBody)) return notUTF8Error();
  return decodeBackendError(responseBody);
}

// A body that is no backend error (a proxy's HTML page, an empty body) would
// otherwise surface as a JSON decoding error that hides what the server said.
ErrorPtr GenerativeAIService::errorForStatus(int statusCode, std::string_view body) const {
  auto error = parseError(body);
  if (platform::errorAs<BackendError>(error)) return error;
  std::string description = fmt::format("The server responded with HTTP status {}", statusCode);
  const std::string start = platform::text::trimWhitespaceAndNewlines(platform::text::repairUTF8(body));
  description += start.empty() ? std::string(" and an empty body.")
                               : ": " + quotedServerText(start, kQuotedBodyCharacters);
  return platform::makeError(kHTTPStatusErrorDomain, statusCode, std::move(description),
                             {{"NSUnderlyingError", error->debugDescription()}});
}

OperationHandle GenerativeAIService::send(PreparedRequest request,
                                          std::function<void(Result<std::string>)> onBody) const {
  auto operation = std::make_shared<Operation>();
  buildURLRequest(std::move(request), [operation, service = *this, onBody = std::move(onBody)](
                                          Result<URLRequest>&& built) {
    if (!built) return onBody(std::unexpected(built.error()));
    if (operation->isCancelled()) return onBody(std::unexpected(cancelledError()));
    operation->attach(service.urlSession_->dataTask(
        std::move(*built), [service, onBody](std::optional<std::string> body, std::optional<HTTPURLResponse> response,
                                             ErrorPtr error) {
          if (error) return onBody(std::unexpected(error));
          auto http = httpResponse(response);
          if (!http) return onBody(std::unexpected(http.error()));
          std::string bytes = std::move(body).value_or(std::string());
          if (http->statusCode != 200) {
            logStatusError(VertexLogMessageCode::loadRequestResponseError,
                           VertexLogMessageCode::loadRequestResponseErrorPayload, *http, bytes);
            return onBody(std::unexpected(service.errorForStatus(http->statusCode, bytes)));
          }
          onBody(std::move(bytes));
        }));
  });
  return operation;
}

OperationHandle GenerativeAIService::performStreamRequest(const GenerateContentRequest& request,
                                                          platform::DispatchQueue& queue,
                                                          StreamHandlers<GenerateContentResponse> handlers,
                                                          ResponseCheck refuse) const {
  auto operation = std::make_shared<Operation>();
  auto delivery = std::make_shared<StreamDelivery<GenerateContentResponse>>(queue, std::move(handlers));
  buildURLRequest(prepare(request), [operation, delivery, service = *this,
                                     refuse = std::move(refuse)](Result<URLRequest>&& built) mutable {
    if (!built) return delivery->end(built.error());
    if (operation->isCancelled()) return delivery->end(cancelledError());
    auto exchange = std::make_shared<StreamExchange>(service, delivery, operation, std::move(refuse));
    operation->attach(service.urlSession_->bytesTask(
        std::move(*built), {[exchange](const HTTPURLResponse& response) { exchange->begin(response); },
                            [exchange](std::string_view piece) { exchange->take(piece); },
                            [exchange](ErrorPtr error) { exchange->finish(std::move(error)); }}));
  });
  return operation;
}

}  // namespace firebase::vertexai
