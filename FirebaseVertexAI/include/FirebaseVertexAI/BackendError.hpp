#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Error.hpp"

namespace firebase::vertexai {

// The status names of the RPC status codes, in this order (not the order of
// their numbers).
enum class RPCStatus {
  ok, cancelled, unknown, invalidArgument, deadlineExceeded, notFound, alreadyExists, permissionDenied,
  unauthenticated, resourceExhausted, failedPrecondition, aborted, outOfRange, unimplemented, internalError,
  unavailable, dataLoss
};

// "OK", "CANCELLED", ... "INTERNAL", ...
std::string_view rawValue(RPCStatus status);
// Exact and case-sensitive; absent for any other name.
std::optional<RPCStatus> rpcStatusFromRawValue(std::string_view name);

// One detail of a backend error: its type URL and, for an error-info detail,
// the reason, domain and metadata.
struct ErrorDetails {
  std::string type;  // "@type" on the wire
  std::optional<std::string> reason;
  std::optional<std::string> domain;
  std::optional<std::map<std::string, std::string>> metadata;
  bool operator==(const ErrorDetails&) const = default;
};

// The error body of a call the service answered with a status other than 200.
class BackendError final : public platform::Error {
 public:
  static constexpr const char* kDomain = "com.google.firebase.vertexai.BackendError";

  BackendError(std::int64_t httpResponseCode, std::string message, RPCStatus status, std::vector<ErrorDetails> details);

  // Decodes {"error": {...}}; a body of another shape is a decoding error.
  static std::expected<BackendError, platform::ErrorPtr> decode(std::string_view json);
  // The same as the error to report: the backend error, or the decoding
  // error when the body holds none.
  static platform::ErrorPtr errorFromBody(std::string_view json);

  // The code the body names (not the HTTP status), -1 when it names none.
  std::int64_t httpResponseCode() const { return httpResponseCode_; }
  const std::string& message() const { return message_; }
  RPCStatus status() const { return status_; }
  const std::vector<ErrorDetails>& details() const { return details_; }

  // Whether a detail says the service is switched off for the project.
  bool isServiceDisabledError() const;

  std::string domain() const override { return kDomain; }
  long code() const override { return static_cast<long>(httpResponseCode_); }
  // The message (quoted as an error description quotes the server's text),
  // then " (", the domain, " - HTTP ", the code, " ", the status name and ")".
  std::string localizedDescription() const override;

 private:
  std::int64_t httpResponseCode_;
  std::string message_;
  RPCStatus status_;
  std::vector<ErrorDetails> details_;
};

}  // namespace firebase::vertexai
