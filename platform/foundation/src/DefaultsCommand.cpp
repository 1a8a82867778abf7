#include "foundation/DefaultsCommand.hpp"

#include <charconv>

#include "foundation/Text.hpp"
#include "foundation/UserDefaults.hpp"

namespace platform {
namespace {

constexpr const char* kUsage =
    "usage: defaults read DOMAIN [KEY]\n"
    "       defaults write DOMAIN KEY [-string|-int|-float|-bool] VALUE\n"
    "       defaults write DOMAIN KEY -array VALUE...\n"
    "       defaults delete DOMAIN [KEY]\n"
    "       defaults --help\n";

std::optional<PropertyValue> typedValue(const std::string& type, const std::string& text) {
  if (type == "-string") return PropertyValue(text);
  if (type == "-int" || type == "-integer") {
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return PropertyValue(v);
  }
  if (type == "-float") {
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return PropertyValue(v);
  }
  if (type == "-bool" || type == "-boolean") {
    auto lower = text::lowercased(text);
    if (lower == "yes" || lower == "true" || lower == "1") return PropertyValue(true);
    if (lower == "no" || lower == "false" || lower == "0") return PropertyValue(false);
    return std::nullopt;
  }
  return std::nullopt;
}

// A value as the command prints it: a text bare when it needs no escape,
// everything else described (a text that does, quoted and escaped).
std::string printed(const PropertyValue& value) {
  if (auto s = value.asString(); s && text::propertyListEscaped(*s) == *s) return *s;
  return value.description();
}

// Writes the domain's changes; answers the exit status, and says on `err`
// why the file could not be written.
int writeAndReport(UserDefaults& domain, std::ostream& err) {
  auto changes = domain.writeChanges();
  if (changes) return 0;
  err << "defaults: " << changes.error()->localizedDescription() << "\n";
  return 1;
}

}  // namespace

int runDefaultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  if (args.size() < 2) {
    err << kUsage;
    return 2;
  }
  const std::string& verb = args[0];
  const std::string& domainName = args[1];
  auto opened = UserDefaults::openSuite(domainName);
  if (!opened) {
    err << "defaults: " << opened.error()->localizedDescription() << "\n";
    return 1;
  }
  UserDefaults& domain = **opened;

  if (verb == "read" && args.size() <= 3) {
    if (args.size() == 2) {
      auto all = domain.dictionaryRepresentation();
      if (all.empty()) {
        err << "Domain " << domainName << " does not exist\n";
        return 1;
      }
      out << PropertyValue(all).description() << "\n";
      return 0;
    }
    auto value = domain.object(args[2]);
    if (!value) {
      err << "The domain/default pair of (" << domainName << ", " << args[2] << ") does not exist\n";
      return 1;
    }
    out << printed(*value) << "\n";
    return 0;
  }

  if (verb == "write" && args.size() >= 4) {
    const std::string& key = args[2];
    PropertyValue value;
    if (args[3] == "-array") {
      PropertyValue::Array items(args.begin() + 4, args.end());
      value = PropertyValue(std::move(items));
    } else if (args.size() == 4) {
      value = PropertyValue(args[3]);
    } else if (args.size() == 5) {
      auto typed = typedValue(args[3], args[4]);
      if (!typed) {
        err << "defaults: cannot read \"" << args[4] << "\" as " << args[3].substr(1) << "\n" << kUsage;
        return 2;
      }
      value = std::move(*typed);
    } else {
      err << kUsage;
      return 2;
    }
    if (!domain.set(key, std::move(value))) return 1;  // the reason is on standard error
    return writeAndReport(domain, err);
  }

  if (verb == "delete" && args.size() <= 3) {
    if (args.size() == 2) {
      domain.removeAll();
    } else {
      if (!domain.object(args[2])) {
        err << "Domain (" << domainName << ") not found.\nDefaults have not been changed.\n";
        return 1;
      }
      domain.remove(args[2]);
    }
    return writeAndReport(domain, err);
  }

  err << kUsage;
  return 2;
}

}  // namespace platform
