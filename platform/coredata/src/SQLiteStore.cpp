#include "SQLiteStore.hpp"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "coredata/CoreDataError.hpp"
#include "foundation/PropertyValue.hpp"

namespace coredata {
namespace {

constexpr int kBusyTimeoutMs = 10000;

// Switching to WAL needs the whole file for a moment, and SQLite does not wait
// for it while another process holds the file (two programs opening the store
// at once): wait here instead, as long as for any other lock.
int switchToWriteAheadLog(sqlite3* db) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  for (;;) {
    int result = sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    if (result != SQLITE_BUSY || std::chrono::steady_clock::now() >= deadline) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Frees a prepared statement when it goes out of scope.
struct Statement {
  sqlite3_stmt* handle = nullptr;
  ~Statement() { sqlite3_finalize(handle); }
};

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

// Which of the folder and the file this process may not write, and why;
// nothing when both may be written (or the file is still to be made).
std::optional<std::string> unwritablePart(const std::filesystem::path& file) {
  const auto folder = file.parent_path();
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return "its folder " + folder.string() + " cannot be written (" + std::strerror(errno) + ")";
  if (::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), R_OK | W_OK) != 0)
    return "the file cannot be written (" + std::string(std::strerror(errno)) + ")";
  return std::nullopt;
}

// SQLite makes a new file 0644 whatever the umask, and its journals take the
// file's mode: the store keeps only its owner's rights, as the other stored
// files do.
void keepToOwner(const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) == 0 && (status.st_mode & 077) != 0) (void)::chmod(file.c_str(), status.st_mode & 0700);
}

// Dates are stored as the platform stores them: seconds since 1 January 2001, UTC.
double storedDate(Date date) { return platform::PropertyValue::Date::fromTimePoint(date).secondsSinceReferenceDate; }

Date dateFromStored(double seconds) { return platform::PropertyValue::Date{seconds}.timePoint(); }

int bind(sqlite3_stmt* statement, int index, const AttributeValue& value) {
  return std::visit(
      [&](const auto& held) -> int {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<Held, std::monostate>) return sqlite3_bind_null(statement, index);
        else if constexpr (std::is_same_v<Held, Date>) return sqlite3_bind_double(statement, index, storedDate(held));
        else if constexpr (std::is_same_v<Held, std::string>)
          return sqlite3_bind_text(statement, index, held.data(), static_cast<int>(held.size()), SQLITE_TRANSIENT);
        else if constexpr (std::is_same_v<Held, double>) return sqlite3_bind_double(statement, index, held);
        else return sqlite3_bind_int64(statement, index, static_cast<sqlite3_int64>(held));
      },
      value);
}

AttributeValue columnValue(sqlite3_stmt* statement, int column, AttributeType type) {
  if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::monostate{};
  switch (type) {
    case AttributeType::date: return dateFromStored(sqlite3_column_double(statement, column));
    case AttributeType::string: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
    }
    case AttributeType::integer64: return static_cast<std::int64_t>(sqlite3_column_int64(statement, column));
    case AttributeType::double_: return sqlite3_column_double(statement, column);
    case AttributeType::boolean: return sqlite3_column_int64(statement, column) != 0;
  }
  return std::monostate{};
}

std::string columnType(AttributeType type) {
  switch (type) {
    case AttributeType::date:
    case AttributeType::double_: return "REAL";
    case AttributeType::string: return "TEXT";
    case AttributeType::integer64:
    case AttributeType::boolean: return "INTEGER";
  }
  return "BLOB";
}

}  // namespace

SQLiteStore::SQLiteStore(sqlite3* db, std::filesystem::path file) : db_(db), file_(std::move(file)) {}

SQLiteStore::~SQLiteStore() { sqlite3_close_v2(db_); }

platform::ErrorPtr SQLiteStore::error(long code, const std::string& description, int result,
                                      std::optional<std::string> reason) const {
  if (!reason) {
    reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
    if (const int system = db_ ? sqlite3_system_errno(db_) : 0) *reason += std::string(" (") + std::strerror(system) + ")";
  }
  return makeCoreDataError(code, description,
                           {{"NSFilePath", file_.string()}, {"NSSQLiteErrorDomain", std::to_string(result)}, {"reason", *reason}});
}

std::expected<std::shared_ptr<SQLiteStore>, platform::ErrorPtr> SQLiteStore::open(const std::filesystem::path& file,
                                                                                 const ManagedObjectModel& model) {
  if (auto unwritable = unwritablePart(file))
    return std::unexpected(SQLiteStore(nullptr, file).error(PersistentStoreOpenError, "The store could not be opened.",
                                                            SQLITE_CANTOPEN, std::move(unwritable)));
  sqlite3* db = nullptr;
  int result = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                               nullptr);
  std::shared_ptr<SQLiteStore> store(new SQLiteStore(db, file));
  if (result != SQLITE_OK) return std::unexpected(store->error(PersistentStoreOpenError, "The store could not be opened.", result));
  // SQLite falls back to reading a file it may not write; a store must be both.
  if (sqlite3_db_readonly(db, "main") == 1)
    return std::unexpected(store->error(PersistentStoreOpenError, "The store could not be opened.", SQLITE_READONLY,
                                        "the file cannot be written"));
  keepToOwner(file);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (auto prepared = store->prepareFor(model); !prepared) return std::unexpected(prepared.error());
  return store;
}

// Reads what the file holds before anything is written: only an empty
// database becomes a store, and only a store of this model is used.
std::expected<void, platform::ErrorPtr> SQLiteStore::prepareFor(const ManagedObjectModel& model) {
  auto readState = [this](bool& hasTables, std::optional<std::string>& fingerprint) -> int {
    Statement tables;
    int result = sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &tables.handle, nullptr);
    if (result != SQLITE_OK) return result;
    hasTables = false;
    bool hasMetadata = false;
    while ((result = sqlite3_step(tables.handle)) == SQLITE_ROW) {
      hasTables = true;
      const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(tables.handle, 0));
      if (name && std::string_view(name) == "Z_METADATA") hasMetadata = true;
    }
    if (result != SQLITE_DONE) return result;
    fingerprint.reset();
    if (!hasMetadata) return SQLITE_OK;
    Statement metadata;
    result = sqlite3_prepare_v2(db_, "SELECT Z_MODEL FROM Z_METADATA", -1, &metadata.handle, nullptr);
    if (result != SQLITE_OK) return result;
    if (sqlite3_step(metadata.handle) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(metadata.handle, 0));
      fingerprint = text ? text : "";
    }
    return SQLITE_OK;
  };

  bool hasTables = false;
  std::optional<std::string> fingerprint;
  // Only a file that is no database is "not a store"; anything else that
  // stops the reading (locks, input and output) keeps its own reason.
  if (int result = readState(hasTables, fingerprint); result != SQLITE_OK)
    return std::unexpected(error(PersistentStoreOpenError,
                                 result == SQLITE_NOTADB ? "The file is not a store." : "The store could not be opened.",
                                 result));

  if (!hasTables) {
    // Two processes may start at once: the one that gets the write lock
    // first creates the tables, the other finds them.
    if (int result = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); result != SQLITE_OK)
      return std::unexpected(error(PersistentStoreOpenError, "The store could not be prepared.", result));
    int result = readState(hasTables, fingerprint);
    if (result == SQLITE_OK && !hasTables) {
      std::string schema = "CREATE TABLE Z_METADATA (Z_MODEL TEXT NOT NULL);";
      for (const auto& entity : model.entities()) {
        schema += "CREATE TABLE " + quoted(entity.name) + " (Z_PK INTEGER PRIMARY KEY AUTOINCREMENT";
        for (const auto& attribute : entity.attributes) schema += ", " + quoted(attribute.name) + " " + columnType(attribute.type);
        schema += ");";
      }
      result = sqlite3_exec(db_, schema.c_str(), nullptr, nullptr, nullptr);
      Statement insert;
      if (result == SQLITE_OK)
        result = sqlite3_prepare_v2(db_, "INSERT INTO Z_METADATA (Z_MODEL) VALUES (?)", -1, &insert.handle, nullptr);
      if (result == SQLITE_OK) {
        fingerprint = model.fingerprint();
        bind(insert.handle, 1, *fingerprint);
        result = sqlite3_step(insert.handle) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db_);
      }
    }
    if (result != SQLITE_OK) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return std::unexpected(error(PersistentStoreOpenError, "The store could not be prepared.", result));
    }
    if (result = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); result != SQLITE_OK)
      return std::unexpected(error(PersistentStoreOpenError, "The store could not be prepared.", result));
  }

  if (!fingerprint)
    return std::unexpected(error(PersistentStoreOpenError, "The file is a database of another kind, not a store.", SQLITE_OK));
  if (*fingerprint != model.fingerprint())
    return std::unexpected(error(PersistentStoreIncompatibleVersionHashError,
                                 "The model used to open the store is incompatible with the one used to create the store.",
                                 SQLITE_OK));
  // Readers and a writer may then work side by side, also across processes.
  if (int result = switchToWriteAheadLog(db_); result != SQLITE_OK)
    return std::unexpected(error(PersistentStoreOpenError, "The store could not be prepared.", result));
  return {};
}

std::expected<std::vector<SQLiteStore::Row>, platform::ErrorPtr> SQLiteStore::fetch(
    const EntityDescription& entity, const std::vector<SortDescriptor>& order) {
  std::string sql = "SELECT Z_PK";
  for (const auto& attribute : entity.attributes) sql += ", " + quoted(attribute.name);
  sql += " FROM " + quoted(entity.name) + " ORDER BY ";
  for (const auto& sort : order) {
    if (!entity.attribute(sort.key))
      return std::unexpected(makeCoreDataError(SQLiteError, "A sort key names no attribute of " + entity.name + ".",
                                               {{"key", sort.key}}));
    sql += quoted(sort.key) + (sort.ascending ? " ASC, " : " DESC, ");
  }
  sql += "Z_PK ASC";
  Statement statement;
  int result = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement.handle, nullptr);
  if (result != SQLITE_OK) return std::unexpected(error(SQLiteError, "The store could not be read.", result));
  std::vector<Row> rows;
  while ((result = sqlite3_step(statement.handle)) == SQLITE_ROW) {
    Row row{sqlite3_column_int64(statement.handle, 0), {}};
    for (std::size_t i = 0; i < entity.attributes.size(); ++i) {
      const auto& attribute = entity.attributes[i];
      row.values.emplace(attribute.name, columnValue(statement.handle, static_cast<int>(i) + 1, attribute.type));
    }
    rows.push_back(std::move(row));
  }
  if (result != SQLITE_DONE) return std::unexpected(error(SQLiteError, "The store could not be read.", result));
  return rows;
}

std::expected<std::vector<std::int64_t>, platform::ErrorPtr> SQLiteStore::save(const std::vector<Change>& changes) {
  auto failed = [this](int result) {
    auto failure = error(PersistentStoreSaveError, "The changes could not be saved.", result);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return std::unexpected(failure);
  };
  if (int result = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); result != SQLITE_OK)
    return std::unexpected(error(PersistentStoreSaveError, "The changes could not be saved.", result));
  std::vector<std::int64_t> rows;
  for (const auto& change : changes) {
    std::string sql;
    if (change.objectID) {
      if (change.values.empty()) {
        rows.push_back(*change.objectID);
        continue;
      }
      std::string assignments;
      for (const auto& [name, value] : change.values) assignments += (assignments.empty() ? "" : ", ") + quoted(name) + " = ?";
      sql = "UPDATE " + quoted(change.entity->name) + " SET " + assignments + " WHERE Z_PK = ?";
    } else {
      sql = "INSERT INTO " + quoted(change.entity->name) + " (Z_PK";
      std::string placeholders = "NULL";
      for (const auto& [name, value] : change.values) {
        sql += ", " + quoted(name);
        placeholders += ", ?";
      }
      sql += ") VALUES (" + placeholders + ")";
    }
    Statement statement;
    int result = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement.handle, nullptr);
    if (result != SQLITE_OK) return failed(result);
    int index = 1;
    for (const auto& [name, value] : change.values) bind(statement.handle, index++, value);
    if (change.objectID) sqlite3_bind_int64(statement.handle, index, *change.objectID);
    if (sqlite3_step(statement.handle) != SQLITE_DONE) return failed(sqlite3_errcode(db_));
    rows.push_back(change.objectID.value_or(sqlite3_last_insert_rowid(db_)));
  }
  if (int result = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); result != SQLITE_OK) return failed(result);
  return rows;
}

}  // namespace coredata
