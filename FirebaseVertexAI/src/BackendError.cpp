#include "FirebaseVertexAI/BackendError.hpp"

#include <array>

#include <fmt/format.h>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "QuotedServerText.hpp"
#include "foundation/JsonDecoder.hpp"

namespace firebase::vertexai {
namespace {

constexpr std::array<std::string_view, 17> kRPCStatusNames = {
    "OK",        "CANCELLED",           "UNKNOWN", "INVALID_ARGUMENT", "DEADLINE_EXCEEDED", "NOT_FOUND",
    "ALREADY_EXISTS", "PERMISSION_DENIED", "UNAUTHENTICATED", "RESOURCE_EXHAUSTED", "FAILED_PRECONDITION",
    "ABORTED",   "OUT_OF_RANGE",        "UNIMPLEMENTED", "INTERNAL", "UNAVAILABLE", "DATA_LOSS"};

// The error-info detail of the RPC status model, as the platform sends it
// when the service is switched off for a project.
constexpr std::string_view kErrorInfoType = "type.googleapis.com/google.rpc.ErrorInfo";
constexpr std::string_view kServiceDisabledReason = "SERVICE_DISABLED";
constexpr std::string_view kPlatformDomain = "googleapis.com";

using platform::json::Decoder;

ErrorDetails readErrorDetails(Decoder& decoder) {
  ErrorDetails details;
  details.type = decoder.required("@type").string();
  if (auto reason = decoder.ifPresent("reason")) details.reason = reason->string();
  if (auto domain = decoder.ifPresent("domain")) details.domain = domain->string();
  if (auto metadata = decoder.ifPresent("metadata"))
    details.metadata = metadata->dictionary([](Decoder& value) { return value.string(); });
  return details;
}

// A status name that is unknown or not a string at all is "UNKNOWN".
RPCStatus readStatus(Decoder& decoder) {
  if (!decoder.value().is_string()) return RPCStatus::unknown;
  return rpcStatusFromRawValue(decoder.string()).value_or(RPCStatus::unknown);
}

BackendError readBackendError(Decoder& decoder) {
  const auto status = decoder.required("error");
  std::int64_t code = -1;
  if (auto value = status.ifPresent("code")) code = value->int64();
  std::string message = "Unknown error.";
  if (auto value = status.ifPresent("message")) message = value->string();
  RPCStatus rpcStatus = RPCStatus::unknown;
  if (auto value = status.ifPresent("status")) rpcStatus = readStatus(*value);
  std::vector<ErrorDetails> details;
  // Once the key is there, the list must decode (null included).
  if (status.contains("details")) details = status.required("details").array(readErrorDetails);
  return BackendError(code, std::move(message), rpcStatus, std::move(details));
}

}  // namespace

std::string_view rawValue(RPCStatus status) { return kRPCStatusNames.at(static_cast<std::size_t>(status)); }

std::optional<RPCStatus> rpcStatusFromRawValue(std::string_view name) {
  for (std::size_t i = 0; i < kRPCStatusNames.size(); ++i)
    if (kRPCStatusNames[i] == name) return static_cast<RPCStatus>(i);
  return std::nullopt;
}

BackendError::BackendError(std::int64_t httpResponseCode, std::string message, RPCStatus status,
                           std::vector<ErrorDetails> details)
    : httpResponseCode_(httpResponseCode), message_(std::move(message)), status_(status), details_(std::move(details)) {}

std::expected<BackendError, platform::ErrorPtr> BackendError::decode(std::string_view json) {
  return platform::json::decodeDocument(json, readBackendError);
}

platform::ErrorPtr BackendError::errorFromBody(std::string_view json) {
  auto decoded = decode(json);
  if (!decoded) return decoded.error();
  return std::make_shared<BackendError>(std::move(*decoded));
}

bool BackendError::isServiceDisabledError() const {
  const auto productionHost = hostName(APIConfig::Service::Endpoint::firebaseVertexAIProd);
  for (const auto& detail : details_) {
    if (detail.type != kErrorInfoType || detail.reason != kServiceDisabledReason || detail.domain != kPlatformDomain ||
        !detail.metadata)
      continue;
    auto service = detail.metadata->find("service");
    if (service != detail.metadata->end() && service->second == productionHost) return true;
  }
  return false;
}

std::string BackendError::localizedDescription() const {
  return fmt::format("{} ({} - HTTP {} {})", quotedServerText(message_), kDomain, httpResponseCode_,
                     rawValue(status_));
}

}  // namespace firebase::vertexai
