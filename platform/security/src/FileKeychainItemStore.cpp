#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "foundation/AtomicFile.hpp"
#include "foundation/Bundle.hpp"
#include "security/KeychainItemStore.hpp"

namespace platform::security {

namespace {

using Json = nlohmann::json;

std::string hexOf(const Data& data) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t byte : data) {
    text += digits[byte >> 4];
    text += digits[byte & 0x0f];
  }
  return text;
}

std::optional<Data> dataOfHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  Data data;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    if (std::sscanf(text.c_str() + i, "%2x", &value) != 1) return std::nullopt;
    data.push_back(static_cast<std::uint8_t>(value));
  }
  return data;
}

// An unreadable or damaged file holds no items we can use: report it as an
// I/O failure rather than silently start over and lose what it holds.
std::optional<std::map<KeychainItemQuery, Data>> readItems(const std::filesystem::path& file) {
  std::map<KeychainItemQuery, Data> items;
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return std::filesystem::exists(file) ? std::nullopt : std::optional(items);
  std::ostringstream content;
  content << stream.rdbuf();
  if (content.str().empty()) return items;
  try {
    const Json document = Json::parse(content.str());
    for (const auto& item : document.at("items")) {
      KeychainItemQuery query{item.at("service").get<std::string>(), item.at("account").get<std::string>(), {}};
      if (item.contains("accessGroup")) query.accessGroup = item.at("accessGroup").get<std::string>();
      auto data = dataOfHex(item.at("data").get<std::string>());
      if (!data) return std::nullopt;
      items[query] = std::move(*data);
    }
  } catch (const Json::exception&) {
    return std::nullopt;
  }
  return items;
}

bool writeItems(const std::filesystem::path& file, const std::map<KeychainItemQuery, Data>& items) {
  Json list = Json::array();
  for (const auto& [query, data] : items) {
    Json item = {{"service", query.service}, {"account", query.account}, {"data", hexOf(data)}};
    if (query.accessGroup) item["accessGroup"] = *query.accessGroup;
    list.push_back(std::move(item));
  }
  const std::string content = Json{{"items", std::move(list)}}.dump(-1, ' ', false, Json::error_handler_t::replace);
  return platform::files::replaceAtomically(file, content);
}

}  // namespace

KeychainItemStore& KeychainItemStore::defaultStore() {
  static FileKeychainItemStore store(platform::paths::applicationSupport() / "quorbel" / "keychain-items.json");
  return store;
}

FileKeychainItemStore::FileKeychainItemStore(std::filesystem::path file) : file_(std::move(file)) {}

template <typename Change>
OSStatus FileKeychainItemStore::withItems(bool writes, Change change) {
  std::lock_guard lock(mutex_);
  std::error_code error;
  std::filesystem::create_directories(file_.parent_path(), error);
  platform::files::FileLock fileLock(file_);
  if (!fileLock.held()) return errSecIO;
  auto items = readItems(file_);
  if (!items) return errSecIO;
  const OSStatus status = change(*items);
  if (status == errSecSuccess && writes && !writeItems(file_, *items)) return errSecIO;
  return status;
}

OSStatus FileKeychainItemStore::copyMatching(const KeychainItemQuery& query, Data& data) {
  return withItems(false, [&](Items& items) {
    auto it = items.find(query);
    if (it == items.end()) return errSecItemNotFound;
    data = it->second;
    return errSecSuccess;
  });
}

OSStatus FileKeychainItemStore::add(const KeychainItemQuery& query, const Data& data) {
  return withItems(
      true, [&](Items& items) { return items.emplace(query, data).second ? errSecSuccess : errSecDuplicateItem; });
}

OSStatus FileKeychainItemStore::update(const KeychainItemQuery& query, const Data& data) {
  return withItems(true, [&](Items& items) {
    auto it = items.find(query);
    if (it == items.end()) return errSecItemNotFound;
    it->second = data;
    return errSecSuccess;
  });
}

OSStatus FileKeychainItemStore::remove(const KeychainItemQuery& query) {
  return withItems(true, [&](Items& items) { return items.erase(query) == 1 ? errSecSuccess : errSecItemNotFound; });
}

}  // namespace platform::security
