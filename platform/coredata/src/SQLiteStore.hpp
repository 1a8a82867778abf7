#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coredata/FetchRequest.hpp"
#include "coredata/ManagedObject.hpp"
#include "coredata/ManagedObjectModel.hpp"
#include "foundation/Error.hpp"

struct sqlite3;

namespace coredata {

// One SQLite file holding the objects of one model: a table per entity
// (Z_PK and a column per attribute) and a Z_METADATA table naming the
// model. Opening never changes a file that is not a store of this model: a
// file that is not a database, or a database of another model or of other
// tables, is refused as it is. Several connections, in one process or many,
// may use the file at once (write-ahead log, waiting for each other's locks).
// A store is written as well as read, its journal beside it: a folder or file
// that cannot be written makes it unusable, and the error says so.
class SQLiteStore {
 public:
  struct Row {
    std::int64_t objectID = 0;
    std::map<std::string, AttributeValue, std::less<>> values;
  };
  struct Change {
    const EntityDescription* entity = nullptr;
    std::optional<std::int64_t> objectID;  // absent: a new row
    std::map<std::string, AttributeValue, std::less<>> values;
  };

  static std::expected<std::shared_ptr<SQLiteStore>, platform::ErrorPtr> open(const std::filesystem::path& file,
                                                                              const ManagedObjectModel& model);
  ~SQLiteStore();
  SQLiteStore(const SQLiteStore&) = delete;
  SQLiteStore& operator=(const SQLiteStore&) = delete;

  std::expected<std::vector<Row>, platform::ErrorPtr> fetch(const EntityDescription& entity,
                                                            const std::vector<SortDescriptor>& order);
  // Writes all changes in one transaction; returns the row of each change, in
  // order (new rows get theirs here).
  std::expected<std::vector<std::int64_t>, platform::ErrorPtr> save(const std::vector<Change>& changes);

 private:
  SQLiteStore(sqlite3* db, std::filesystem::path file);
  std::expected<void, platform::ErrorPtr> prepareFor(const ManagedObjectModel& model);
  // The store's error; `reason` says why, the database's own message when
  // none is given.
  platform::ErrorPtr error(long code, const std::string& description, int result,
                           std::optional<std::string> reason = std::nullopt) const;

  sqlite3* db_;
  std::filesystem::path file_;
};

}  // namespace coredata
