#include "security/KeychainItemsFile.hpp"

#include "foundation/Json.hpp"

namespace platform::security {
namespace {

namespace json = platform::json;

std::string hexOf(const Data& data) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(data.size() * 2);
  for (std::uint8_t byte : data) {
    text += digits[byte >> 4];
    text += digits[byte & 0x0f];
  }
  return text;
}

std::optional<std::uint8_t> hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  return std::nullopt;
}

// One pass over the text, two digits a byte.
std::optional<Data> dataOfHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  Data data;
  data.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const auto high = hexDigit(text[i]);
    const auto low = hexDigit(text[i + 1]);
    if (!high || !low) return std::nullopt;
    data.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
  }
  return data;
}

}  // namespace

std::optional<KeychainItems> decodeKeychainItems(std::string_view text) {
  auto document = json::parse(text);
  if (!document || !document->is_object()) return std::nullopt;
  const json::Value* list = json::member(*document, "items");
  if (!list || !list->is_array()) return std::nullopt;
  KeychainItems items;
  for (const auto& item : *list) {
    auto service = json::stringMember(item, "service");
    auto account = json::stringMember(item, "account");
    auto hex = json::stringMember(item, "data");
    if (!service || !account || !hex) return std::nullopt;
    KeychainItemQuery query{std::move(*service), std::move(*account), {}};
    if (json::member(item, "accessGroup")) {
      query.accessGroup = json::stringMember(item, "accessGroup");
      if (!query.accessGroup) return std::nullopt;
    }
    auto data = dataOfHex(*hex);
    if (!data) return std::nullopt;
    items[std::move(query)] = std::move(*data);
  }
  return items;
}

std::optional<std::string> encodeKeychainItems(const KeychainItems& items) {
  json::Value list = json::Value::array();
  for (const auto& [query, data] : items) {
    json::Value item = {{"service", query.service}, {"account", query.account}, {"data", hexOf(data)}};
    if (query.accessGroup) item["accessGroup"] = *query.accessGroup;
    list.push_back(std::move(item));
  }
  auto text = json::serialize(json::Value{{"items", std::move(list)}});
  if (!text) return std::nullopt;
  return std::move(*text);
}

}  // namespace platform::security
