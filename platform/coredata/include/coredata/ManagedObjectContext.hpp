#pragma once

#include <expected>
#include <functional>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "coredata/FetchRequest.hpp"
#include "coredata/ManagedObject.hpp"
#include "coredata/ManagedObjectModel.hpp"
#include "foundation/Error.hpp"

namespace coredata {

class SQLiteStore;

// Where objects are inserted, fetched and saved. Every fetch reads the
// store, so what other contexts and processes saved is always there; that
// is how this context merges changes from its parent. Use it on one thread
// (the view context: the main thread).
class ManagedObjectContext {
 public:
  ManagedObjectContext();
  ~ManagedObjectContext();
  ManagedObjectContext(const ManagedObjectContext&) = delete;
  ManagedObjectContext& operator=(const ManagedObjectContext&) = delete;

  bool automaticallyMergesChangesFromParent() const { return automaticallyMerges_; }
  void setAutomaticallyMergesChangesFromParent(bool merges) { automaticallyMerges_ = merges; }

  // A new object of the entity, saved by the next save(); null when the
  // model has no such entity or no store is loaded.
  template <typename T = ManagedObject>
  std::shared_ptr<T> insertNewObject(std::string_view entityName) {
    static_assert(std::is_base_of_v<ManagedObject, T>);
    const auto* entity = entityNamed(entityName);
    if (!entity) return nullptr;
    auto object = std::make_shared<T>(*entity);
    inserted_.push_back(object);
    return object;
  }

  template <typename T = ManagedObject>
  std::expected<std::vector<std::shared_ptr<T>>, platform::ErrorPtr> fetch(const FetchRequest& request) {
    static_assert(std::is_base_of_v<ManagedObject, T>);
    std::vector<std::shared_ptr<T>> objects;
    auto found = fetchInto(request, [&](const EntityDescription& entity) {
      auto object = std::make_shared<T>(entity);
      objects.push_back(object);
      return std::static_pointer_cast<ManagedObject>(object);
    });
    if (!found) return std::unexpected(found.error());
    return objects;
  }

  bool hasChanges() const;
  // Writes every inserted object and every change of a fetched one, all or
  // nothing.
  std::expected<void, platform::ErrorPtr> save();

 private:
  friend class PersistentContainer;
  using Make = std::function<std::shared_ptr<ManagedObject>(const EntityDescription&)>;

  void attach(std::shared_ptr<SQLiteStore> store, const ManagedObjectModel* model);
  const EntityDescription* entityNamed(std::string_view name) const;
  std::expected<void, platform::ErrorPtr> fetchInto(const FetchRequest& request, const Make& make);

  std::shared_ptr<SQLiteStore> store_;
  const ManagedObjectModel* model_ = nullptr;
  std::vector<std::shared_ptr<ManagedObject>> inserted_;
  std::vector<std::weak_ptr<ManagedObject>> fetched_;
  bool automaticallyMerges_ = false;
};

}  // namespace coredata
