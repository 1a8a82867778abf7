#pragma once

#include <compare>
#include <string>

namespace mailkit {

// One recipient as Mail hands it over: the text of the address field entry,
// display name and angle brackets included when the user wrote them.
struct MEEmailAddress {
  std::string rawString;
  auto operator<=>(const MEEmailAddress&) const = default;
};

// What Mail shows on a recipient token.
class MEAddressAnnotation {
 public:
  enum class Kind { error };

  static MEAddressAnnotation error(std::string localizedDescription) {
    return MEAddressAnnotation(Kind::error, std::move(localizedDescription));
  }

  Kind kind() const { return kind_; }
  const std::string& localizedDescription() const { return description_; }
  bool operator==(const MEAddressAnnotation&) const = default;

 private:
  MEAddressAnnotation(Kind kind, std::string description) : kind_(kind), description_(std::move(description)) {}
  Kind kind_;
  std::string description_;
};

}  // namespace mailkit
