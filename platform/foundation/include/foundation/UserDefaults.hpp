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

#include "foundation/AtomicFile.hpp"
#include "foundation/Error.hpp"
#include "foundation/FileStamp.hpp"
#include "foundation/PropertyValue.hpp"

namespace platform {

// Why a domain could not be opened, read or written. The description names
// the suite, the file or the folder, and the cause.
class UserDefaultsError : public Error {
 public:
  enum class Case {
    unusableSuiteName = 1,  // empty, too long, not UTF-8, or holding "/" or a control character
    notAPropertyList = 2,
    notADictionary = 3,
    folderNotCreated = 4,  // at a write
    unreadable = 5,  // not a regular file, too large, links that loop...
    notWritten = 6,
    standardDomainName = 7,  // the suite name is the program's own domain
    notStorable = 8,         // a key or text that is not valid UTF-8
  };

  // `subject`: the suite name, key, file or folder the description names;
  // `cause`: the reason from below, where there is one.
  UserDefaultsError(Case errorCase, std::string subject, std::string cause = {});
  Case errorCase() const { return case_; }

  std::string domain() const override;
  long code() const override { return static_cast<long>(case_); }
  std::string localizedDescription() const override;

 private:
  Case case_;
  std::string subject_;
  std::string cause_;
};

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
  // empty or unsafe name, the name of the standard domain, settings folders
  // or a file that another user could replace (files::guardPrivateFile), or
  // an existing file that cannot be read (a FIFO or device in its place, a
  // file too large, links that loop) or is not a dictionary property list
  // read exactly (left untouched); the error names the file and the cause.
  // Opening makes nothing: the first write makes the missing folders. One
  // instance per name and process.
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

  // False, with a line in the log and nothing changed, for a value that
  // cannot be stored: a text or key that is not valid UTF-8.
  bool set(const std::string& key, PropertyValue value);
  void remove(const std::string& key);
  // Removes every key of the domain.
  void removeAll();

  // Writes pending changes now. False when the file could not be written; the
  // changes stay pending and are tried again by the next write, and the
  // reason goes to the log. `mayRevertOnCrash` suits changes that are only
  // diagnostics (see files::Durability); every other write survives a crash.
  bool synchronize(files::Durability durability = files::Durability::survivesCrash);
  // synchronize, answering the reason when the file could not be written
  // (the file cannot be read, the lock cannot be taken, the disk is full...)
  // instead of logging it.
  std::expected<void, ErrorPtr> writeChanges(files::Durability durability = files::Durability::survivesCrash);
  // Reads, changes and writes one key as one step against every other
  // writer of the domain, in this process or another: under the domain's
  // lock, `change` gets the key's value as the file holds it now and answers
  // the value to store, which is written at once with every pending change.
  // Fails as writeChanges does; the change is then not kept. `durability`
  // is the change's own: pending changes written with it always survive a
  // crash.
  std::expected<void, ErrorPtr> update(const std::string& key,
                                       const std::function<PropertyValue(std::optional<PropertyValue>)>& change,
                                       files::Durability durability = files::Durability::survivesCrash);

  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

 private:
  UserDefaults(std::string domain, std::filesystem::path file);
  std::expected<void, ErrorPtr> reloadIfChanged();  // caller holds mutex_
  void scheduleWrite();
  // Caller holds mutex_; `amend` changes what is written, under the lock.
  std::expected<void, ErrorPtr> writePending(files::Durability durability,
                                             const std::function<void(PropertyValue::Dictionary&)>& amend = {});

  std::string domain_;
  std::filesystem::path file_;
  std::mutex mutex_;
  PropertyValue::Dictionary values_;  // what the file held, with our changes on top
  std::map<std::string, std::optional<PropertyValue>> pending_;  // our unwritten changes
  bool removeAllPending_ = false;
  // A file that could not be looked at is read again (and its failure
  // reported) every time.
  files::FileStamp stamp_;
  files::ScopedStampCheck stampCheck_;
  bool writeScheduled_ = false;

  friend class UserDefaultsRegistry;
};

}  // namespace platform
