#pragma once

#include <stdexcept>
#include <string>

namespace firebase {

// A configuration the core refuses. Callers are not expected to catch it: it
// marks a programming or packaging error (missing options file, bad app ID,
// second configuration, edits to locked options).
class FIRException : public std::runtime_error {
 public:
  FIRException(std::string name, std::string reason)
      : std::runtime_error(name + ": " + reason), name_(std::move(name)), reason_(std::move(reason)) {}
  const std::string& name() const { return name_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string name_;
  std::string reason_;
};

// The name of every exception the core raises for a refused configuration.
inline constexpr const char* kFirebaseCoreErrorDomain = "com.firebase.core";

}  // namespace firebase
