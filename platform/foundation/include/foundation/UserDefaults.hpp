#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "foundation/Error.hpp"
#include "foundation/PropertyValue.hpp"

namespace platform {

// Persistent key-value settings of one domain, shared between processes.
//
// Each domain is one binary property-list file (0600) under
// $XDG_CONFIG_HOME/quorbel/preferences; XML files are read too. A write takes
// an advisory lock, re-reads the file, applies only the keys this process
// changed, writes a temporary file, syncs it and renames it over the old one,
// so two processes writing different keys lose nothing, a reader never sees
// half a file and every value the write did not change comes back exactly.
// Readers reload whenever the file changed on disk. A domain's file may be a
// symbolic link: a write replaces the file it leads to and keeps the link.
class UserDefaults {
 public:
  // The program's own defaults, named by its bundle identifier.
  static UserDefaults& standard();

  // The shared suite of that name, or an error when it cannot be opened: an
  // empty or unsafe name, the name of the standard domain, a folder that cannot
  // be created, or an existing file that cannot be read (a FIFO or device in
  // its place, a file too large, links that loop) or is not a dictionary
  // property list read exactly (left untouched); the error names the file and
  // the cause. One instance per name and process.
  static std::expected<std::shared_ptr<UserDefaults>, ErrorPtr> openSuite(const std::string& name);
  // openSuite without the reason.
  static std::shared_ptr<UserDefaults> suite(const std::string& name);

  // Where a domain's file lives.
  static std::filesystem::path fileForDomain(const std::string& domain);

  // Forgets every cached instance and the standard domain name; the next
  // access reads the files again. For tests, which change $XDG_CONFIG_HOME.
  static void resetForTesting();

  const std::string& domain() const { return domain_; }

  std::optional<PropertyValue> object(const std::string& key);
  // Text, or a number's text; absent for other types.
  std::optional<std::string> string(const std::string& key);
  // Booleans, numbers (non-zero) and the texts "YES"/"true"/a non-zero
  // integer read as true; everything else, absence included, as false.
  bool boolean(const std::string& key);
  // Numbers (a real is truncated, and like an integer above INT64_MAX kept
  // within the range), Booleans (0 or 1) and texts that begin with an
  // integer; 0 otherwise.
  std::int64_t integer(const std::string& key);
  // Numbers, Booleans and texts that begin with a number; 0 otherwise.
  double doubleValue(const std::string& key);
  // An array whose elements are all texts; absent otherwise.
  std::optional<std::vector<std::string>> stringArray(const std::string& key);
  // Every key and value of the domain.
  PropertyValue::Dictionary dictionaryRepresentation();

  // False, with a line on standard error and nothing changed, for a value
  // that cannot be stored: a text or key that is not valid UTF-8.
  bool set(const std::string& key, PropertyValue value);
  void remove(const std::string& key);
  // Removes every key of the domain.
  void removeAll();

  // Writes pending changes now. False when the file could not be written; the
  // changes stay pending and are tried again by the next write, and the
  // reason goes to standard error.
  bool synchronize();
  // synchronize, answering the reason when the file could not be written
  // (the file cannot be read, the lock cannot be taken, the disk is full...)
  // instead of printing it.
  std::expected<void, ErrorPtr> writeChanges();
  // Reads, changes and writes one key as one step against every other
  // writer of the domain, in this process or another: under the domain's
  // lock, `change` gets the key's value as the file holds it now and answers
  // the value to store, which is written at once with every pending change.
  // Fails as writeChanges does; the change is then not kept.
  std::expected<void, ErrorPtr> update(const std::string& key,
                                       const std::function<PropertyValue(std::optional<PropertyValue>)>& change);

  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

 private:
  struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    std::uint64_t inode = 0;
    bool exists = false;
    // Why the file could not be looked at, unless it is simply absent: such
    // a file is read again (and its failure reported) every time.
    int error = 0;
    bool operator==(const FileStamp&) const = default;
  };

  UserDefaults(std::string domain, std::filesystem::path file);
  std::expected<void, ErrorPtr> reloadIfChanged();  // caller holds mutex_
  void scheduleWrite();
  // Caller holds mutex_; `amend` changes what is written, under the lock.
  std::expected<void, ErrorPtr> writePending(const std::function<void(PropertyValue::Dictionary&)>& amend = {});
  FileStamp stampOfFile() const;

  std::string domain_;
  std::filesystem::path file_;
  std::mutex mutex_;
  PropertyValue::Dictionary values_;  // what the file held, with our changes on top
  std::map<std::string, std::optional<PropertyValue>> pending_;  // our unwritten changes
  bool removeAllPending_ = false;
  FileStamp stamp_;
  bool writeScheduled_ = false;

  friend class UserDefaultsRegistry;
};

}  // namespace platform
