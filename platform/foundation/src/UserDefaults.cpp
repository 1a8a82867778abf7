#include "foundation/UserDefaults.hpp"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

#include <fmt/format.h>

#include "foundation/AtomicFile.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/OSLog.hpp"
#include "foundation/PrivateFiles.hpp"
#include "foundation/PropertyList.hpp"
#include "foundation/Text.hpp"

namespace platform {
namespace {

using Case = UserDefaultsError::Case;

ErrorPtr defaultsError(Case errorCase, std::string subject, std::string cause = {}) {
  return std::make_shared<UserDefaultsError>(errorCase, std::move(subject), std::move(cause));
}

// Failures nobody asked for (a refused value, a write in the background).
void logFailure(const std::string& message) {
  // Never destroyed: the writes at exit log through it after static objects
  // made later than the exit handler are gone.
  static const auto* log = new OSLog("com.quorbel.foundation", "UserDefaults");
  log->log(LogType::error, message);
}

bool isSafeDomainName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7F) return false;
  return text::isValidUTF8(name);
}

// Checks the settings folders and the domain file before they are read or
// written (and, for a write, makes the folders that are missing); a refusal
// names the file and what is at fault.
std::expected<void, ErrorPtr> guardDomainFile(const std::filesystem::path& file, files::MissingFolders missing) {
  auto guarded = files::guardPrivateFile(paths::configHome(), file, missing);
  if (guarded) return {};
  if (guarded.error().error != 0)
    return std::unexpected(defaultsError(Case::folderNotCreated, file.parent_path().string(), guarded.error().reason));
  return std::unexpected(defaultsError(Case::unreadable, file.string(),
                                       "The settings file " + file.string() + " cannot be used: " +
                                           guarded.error().reason));
}

// Reads a domain file: an absent file is an empty domain; a file that cannot
// be read, or holds anything but a dictionary property list, is an error
// that names the file and the cause.
std::expected<PropertyValue::Dictionary, ErrorPtr> readDomainFile(const std::filesystem::path& file) {
  if (auto guarded = guardDomainFile(file, files::MissingFolders::leave); !guarded)
    return std::unexpected(guarded.error());
  auto value = plist::readFile(file);
  if (!value) {
    const long code = value.error()->code();
    if (code == plist::kFileReadNoSuchFileCode) return PropertyValue::Dictionary{};
    if (code != plist::kFormatCode)
      return std::unexpected(defaultsError(Case::unreadable, file.string(), value.error()->localizedDescription()));
    const auto* reason = errorAs<DomainError>(value.error());
    return std::unexpected(defaultsError(Case::notAPropertyList, file.string(),
                                         reason ? reason->userInfo().at("NSDebugDescription") : ""));
  }
  if (!value->isDictionary()) return std::unexpected(defaultsError(Case::notADictionary, file.string()));
  return *value->asDictionary();
}

std::optional<std::int64_t> leadingInteger(const std::string& s) {
  const char* p = s.c_str();
  while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
  if (*p == '+') ++p;
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(p, s.c_str() + s.size(), value);
  if (end == p || ec != std::errc()) return std::nullopt;
  return value;
}

std::optional<double> leadingDouble(const std::string& s) {
  const char* p = s.c_str();
  while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
  if (*p == '+') ++p;
  double value = 0;
  auto [end, ec] = std::from_chars(p, s.c_str() + s.size(), value);
  if (end == p || ec != std::errc()) return std::nullopt;
  return value;
}

std::int64_t truncatedToInt64(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
  if (d <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(d);
}

}  // namespace

UserDefaultsError::UserDefaultsError(Case errorCase, std::string subject, std::string cause)
    : case_(errorCase), subject_(std::move(subject)), cause_(std::move(cause)) {}

std::string UserDefaultsError::domain() const { return "UserDefaultsErrorDomain"; }

std::string UserDefaultsError::localizedDescription() const {
  switch (case_) {
    case Case::unusableSuiteName: return "The suite name \"" + subject_ + "\" is not usable";
    case Case::standardDomainName: return "The suite name \"" + subject_ + "\" names the program's own defaults";
    case Case::notAPropertyList: return "The settings file " + subject_ + " is not a property list (" + cause_ + ")";
    case Case::notADictionary: return "The settings file " + subject_ + " does not hold a dictionary";
    case Case::folderNotCreated:
      return "Cannot create the settings folder " + subject_ + (cause_.empty() ? "" : ": " + cause_);
    case Case::unreadable: return cause_;
    case Case::notWritten: return "The settings file " + subject_ + " couldn\u2019t be written: " + cause_;
    case Case::notStorable: return "The value of \"" + subject_ + "\" cannot be stored: " + cause_;
  }
  return {};
}

// Owns every open domain of the process and the queue that writes changes
// shortly after they are made.
class UserDefaultsRegistry {
 public:
  static UserDefaultsRegistry& instance() {
    // Never destroyed: the exit handler below still needs it.
    static auto* registry = new UserDefaultsRegistry;
    return *registry;
  }

  UserDefaults& standard() {
    std::lock_guard lock(mutex_);
    if (!standard_) {
      auto domain = Bundle::main().bundleIdentifier();
      standard_.reset(new UserDefaults(domain, UserDefaults::fileForDomain(domain)));
      // Unreadable standard defaults start empty; the file stays untouched
      // until the program writes.
      std::lock_guard instanceLock(standard_->mutex_);
      (void)standard_->reloadIfChanged();
    }
    return *standard_;
  }

  std::expected<std::shared_ptr<UserDefaults>, ErrorPtr> suite(const std::string& name) {
    if (!isSafeDomainName(name)) return std::unexpected(defaultsError(Case::unusableSuiteName, name));
    auto standardDomain = Bundle::main().bundleIdentifier();
    if (name == standardDomain || name == "NSGlobalDomain")
      return std::unexpected(defaultsError(Case::standardDomainName, name));
    std::lock_guard lock(mutex_);
    if (auto it = suites_.find(name); it != suites_.end()) return it->second;
    auto file = UserDefaults::fileForDomain(name);
    // Refused folders are reported even where there is no file yet to read.
    if (auto guarded = guardDomainFile(file, files::MissingFolders::leave); !guarded)
      return std::unexpected(guarded.error());
    std::shared_ptr<UserDefaults> suite(new UserDefaults(name, file));
    {
      std::lock_guard instanceLock(suite->mutex_);
      if (auto loaded = suite->reloadIfChanged(); !loaded) return std::unexpected(loaded.error());
    }
    suites_.emplace(name, suite);
    return suite;
  }

  void scheduleWrite(UserDefaults* defaults) {
    writer_.asyncAfter(std::chrono::milliseconds(10), [this, defaults] {
      if (!ending_) defaults->synchronize();
    });
  }

  void synchronizeAtExit() {
    ending_ = true;
    // A write the queue is running finishes first; none starts after it.
    if (!writer_.isCurrent()) writer_.sync([] {});
    synchronizeAll();
  }

  void synchronizeAll() {
    std::vector<UserDefaults*> all;
    {
      std::lock_guard lock(mutex_);
      if (standard_) all.push_back(standard_.get());
      for (auto& [name, suite] : suites_) all.push_back(suite.get());
    }
    for (auto* d : all) d->synchronize();
  }

  void reset() {
    synchronizeAll();
    writer_.sync([] {});  // let scheduled writes of the old instances finish
    std::lock_guard lock(mutex_);
    // Changes that could not be written are forgotten with their instance:
    // a write still scheduled must not bring them into the next test's files.
    for (auto& [name, suite] : suites_) {
      forgetPendingChanges(*suite);
      retired_.push_back(std::move(suite));
    }
    suites_.clear();
    if (standard_) {
      forgetPendingChanges(*standard_);
      retiredStandard_.push_back(std::move(standard_));
    }
  }

 private:
  static void forgetPendingChanges(UserDefaults& defaults) {
    std::lock_guard lock(defaults.mutex_);
    defaults.pending_.clear();
    defaults.removeAllPending_ = false;
  }

  UserDefaultsRegistry() : writer_("com.quorbel.defaults-writer") {
    // Changes not yet written when the program ends are written then, by
    // the exiting thread alone: a write the queue began later would be cut
    // off by the exit, leaving its temporary file behind.
    std::atexit([] { UserDefaultsRegistry::instance().synchronizeAtExit(); });
  }

  std::mutex mutex_;
  std::atomic<bool> ending_ = false;
  DispatchQueue writer_;
  std::unique_ptr<UserDefaults> standard_;
  std::map<std::string, std::shared_ptr<UserDefaults>> suites_;
  // Instances from before a test reset stay alive: callers may still hold them.
  std::vector<std::shared_ptr<UserDefaults>> retired_;
  std::vector<std::unique_ptr<UserDefaults>> retiredStandard_;
};

UserDefaults::UserDefaults(std::string domain, std::filesystem::path file)
    : domain_(std::move(domain)), file_(std::move(file)) {}

UserDefaults::~UserDefaults() = default;

UserDefaults& UserDefaults::standard() { return UserDefaultsRegistry::instance().standard(); }

std::expected<std::shared_ptr<UserDefaults>, ErrorPtr> UserDefaults::openSuite(const std::string& name) {
  return UserDefaultsRegistry::instance().suite(name);
}

std::shared_ptr<UserDefaults> UserDefaults::suite(const std::string& name) {
  auto opened = openSuite(name);
  return opened ? *opened : nullptr;
}

std::filesystem::path UserDefaults::fileForDomain(const std::string& domain) {
  return paths::configHome() / "quorbel" / "preferences" / (domain + ".plist");
}

void UserDefaults::resetForTesting() { UserDefaultsRegistry::instance().reset(); }

std::expected<void, ErrorPtr> UserDefaults::reloadIfChanged() {
  if (!stampCheck_.due()) return {};
  auto stamp = files::stampOf(file_);
  if (stamp == stamp_ && stamp.isReliable()) return {};
  auto contents = readDomainFile(file_);
  if (!contents) {
    stampCheck_.forget();  // reported again at the next read
    return std::unexpected(contents.error());  // keep what we had
  }
  stamp_ = stamp;
  values_ = std::move(*contents);
  if (removeAllPending_) values_.clear();
  for (const auto& [key, value] : pending_) {
    if (value)
      values_[key] = *value;
    else
      values_.erase(key);
  }
  return {};
}

std::optional<PropertyValue> UserDefaults::object(const std::string& key) {
  std::lock_guard lock(mutex_);
  (void)reloadIfChanged();
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> UserDefaults::string(const std::string& key) {
  auto value = object(key);
  if (!value) return std::nullopt;
  if (auto s = value->asString()) return *s;
  if (auto i = value->asInteger()) return std::to_string(*i);
  if (auto u = value->asUnsignedInteger()) return std::to_string(*u);
  if (auto r = value->asReal()) return fmt::format("{}", *r);
  if (auto b = value->asBool()) return *b ? "1" : "0";
  return std::nullopt;
}

bool UserDefaults::boolean(const std::string& key) {
  auto value = object(key);
  if (!value) return false;
  if (auto b = value->asBool()) return *b;
  if (auto i = value->asInteger()) return *i != 0;
  if (value->isUnsignedInteger()) return true;  // above INT64_MAX, never zero
  if (auto r = value->asReal()) return *r != 0;
  if (auto s = value->asString()) {
    auto lower = text::lowercased(*s);
    if (lower == "yes" || lower == "true") return true;
    auto number = leadingInteger(*s);
    return number && *number != 0;
  }
  return false;
}

std::int64_t UserDefaults::integer(const std::string& key) {
  auto value = object(key);
  if (!value) return 0;
  if (auto i = value->asInteger()) return *i;
  if (value->isUnsignedInteger()) return std::numeric_limits<std::int64_t>::max();  // clamped, as a real is
  if (auto r = value->asReal()) return truncatedToInt64(*r);
  if (auto b = value->asBool()) return *b ? 1 : 0;
  if (auto s = value->asString()) return leadingInteger(*s).value_or(0);
  return 0;
}

double UserDefaults::doubleValue(const std::string& key) {
  auto value = object(key);
  if (!value) return 0;
  if (auto r = value->asReal()) return *r;
  if (auto i = value->asInteger()) return static_cast<double>(*i);
  if (auto u = value->asUnsignedInteger()) return static_cast<double>(*u);
  if (auto b = value->asBool()) return *b ? 1 : 0;
  if (auto s = value->asString()) return leadingDouble(*s).value_or(0);
  return 0;
}

std::optional<std::vector<std::string>> UserDefaults::stringArray(const std::string& key) {
  auto value = object(key);
  if (!value || !value->isArray()) return std::nullopt;
  std::vector<std::string> out;
  for (const auto& item : *value->asArray()) {
    if (!item.isString()) return std::nullopt;
    out.push_back(*item.asString());
  }
  return out;
}

PropertyValue::Dictionary UserDefaults::dictionaryRepresentation() {
  std::lock_guard lock(mutex_);
  (void)reloadIfChanged();
  return values_;
}

bool UserDefaults::set(const std::string& key, PropertyValue value) {
  // Refused here, before anything changes, rather than at the write, where
  // it would hold back every other change of the domain.
  PropertyValue::Dictionary entry{{key, value}};
  if (auto storable = plist::toBinary(PropertyValue(std::move(entry))); !storable) {
    UserDefaultsError refused(Case::notStorable, text::repairUTF8(key), storable.error()->localizedDescription());
    logFailure("Not storing in " + domain_ + ": " + refused.localizedDescription());
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    values_[key] = value;
    pending_[key] = std::move(value);
  }
  scheduleWrite();
  return true;
}

void UserDefaults::remove(const std::string& key) {
  {
    std::lock_guard lock(mutex_);
    values_.erase(key);
    pending_[key] = std::nullopt;
  }
  scheduleWrite();
}

void UserDefaults::removeAll() {
  {
    std::lock_guard lock(mutex_);
    values_.clear();
    pending_.clear();
    removeAllPending_ = true;
  }
  scheduleWrite();
}

void UserDefaults::scheduleWrite() {
  {
    std::lock_guard lock(mutex_);
    if (writeScheduled_) return;
    writeScheduled_ = true;
  }
  UserDefaultsRegistry::instance().scheduleWrite(this);
}

bool UserDefaults::synchronize(files::Durability durability) {
  auto written = writeChanges(durability);
  if (!written) logFailure("Not writing " + domain_ + ": " + written.error()->localizedDescription());
  return written.has_value();
}

std::expected<void, ErrorPtr> UserDefaults::writeChanges(files::Durability durability) {
  std::lock_guard lock(mutex_);
  writeScheduled_ = false;
  // Nothing to write: the file is looked at by the next read, on the thread
  // and in the request of that read, not here on the writer's queue, where it
  // would change the values under a request that is reading them.
  if (pending_.empty() && !removeAllPending_) return {};
  return writePending(durability);
}

std::expected<void, ErrorPtr> UserDefaults::update(const std::string& key,
                                                  const std::function<PropertyValue(std::optional<PropertyValue>)>& change,
                                                  files::Durability durability) {
  std::lock_guard lock(mutex_);
  // A weaker durability is the update's own: changes set before it, which
  // go into the same write, survive a crash as their own write would have.
  if (!pending_.empty() || removeAllPending_) durability = files::Durability::survivesCrash;
  return writePending(durability, [&](PropertyValue::Dictionary& merged) {
    auto it = merged.find(key);
    merged[key] = change(it == merged.end() ? std::nullopt : std::optional(it->second));
  });
}

std::expected<void, ErrorPtr> UserDefaults::writePending(files::Durability durability,
                                                        const std::function<void(PropertyValue::Dictionary&)>& amend) {
  auto notWritten = [&](const std::string& cause) {
    return std::unexpected(defaultsError(Case::notWritten, file_.string(), cause));
  };
  // Nothing, the lock file included, is made in folders the guard refuses.
  if (auto guarded = guardDomainFile(file_, files::MissingFolders::create); !guarded)
    return std::unexpected(guarded.error());
  files::FileLock lock(file_);
  if (!lock.held()) return notWritten(lock.failure().reason);
  // Never replace a file we cannot read: the changes stay pending.
  auto contents = readDomainFile(file_);
  if (!contents) return std::unexpected(contents.error());
  auto merged = std::move(*contents);
  if (removeAllPending_) merged.clear();
  for (const auto& [key, value] : pending_) {
    if (value)
      merged[key] = *value;
    else
      merged.erase(key);
  }
  if (amend) amend(merged);
  // Binary, because it keeps every value the reader accepts exactly.
  auto encoded = plist::toBinary(PropertyValue(merged));
  if (!encoded) return notWritten(encoded.error()->localizedDescription());
  if (auto replaced = lock.replaceAtomically(*encoded, durability); !replaced)
    return notWritten(replaced.error().reason);
  values_ = std::move(merged);
  pending_.clear();
  removeAllPending_ = false;
  stamp_ = files::stampOf(file_);
  return {};
}

}  // namespace platform
