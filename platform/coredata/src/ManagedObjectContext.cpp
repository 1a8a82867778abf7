#include "coredata/ManagedObjectContext.hpp"

#include <algorithm>

#include "SQLiteStore.hpp"
#include "coredata/CoreDataError.hpp"

namespace coredata {

ManagedObjectContext::ManagedObjectContext() = default;
ManagedObjectContext::~ManagedObjectContext() = default;

void ManagedObjectContext::attach(std::shared_ptr<SQLiteStore> store, const ManagedObjectModel* model) {
  store_ = std::move(store);
  model_ = model;
}

const EntityDescription* ManagedObjectContext::entityNamed(std::string_view name) const {
  return store_ && model_ ? model_->entity(name) : nullptr;
}

std::expected<void, platform::ErrorPtr> ManagedObjectContext::fetchInto(const FetchRequest& request, const Make& make) {
  const auto* entity = entityNamed(request.entityName);
  if (!entity)
    return std::unexpected(makeCoreDataError(SQLiteError, "The fetch names an entity that no loaded store holds.",
                                             {{"entity", request.entityName}}));
  auto rows = store_->fetch(*entity, request.sortDescriptors);
  if (!rows) return std::unexpected(rows.error());
  std::erase_if(fetched_, [](const auto& weak) { return weak.expired(); });
  for (auto& row : *rows) {
    auto object = make(*entity);
    object->objectID_ = row.objectID;
    object->values_ = std::move(row.values);
    fetched_.push_back(object);
  }
  return {};
}

bool ManagedObjectContext::hasChanges() const {
  return !inserted_.empty() || std::ranges::any_of(fetched_, [](const auto& weak) {
           auto object = weak.lock();
           return object && object->hasChanges();
         });
}

std::expected<void, platform::ErrorPtr> ManagedObjectContext::save() {
  std::vector<std::shared_ptr<ManagedObject>> changed(inserted_.begin(), inserted_.end());
  for (const auto& weak : fetched_)
    if (auto object = weak.lock(); object && object->hasChanges()) changed.push_back(object);
  if (changed.empty()) return {};
  if (!store_) return std::unexpected(makeCoreDataError(PersistentStoreSaveError, "No store is loaded."));

  std::vector<SQLiteStore::Change> changes;
  for (const auto& object : changed)
    changes.push_back({model_->entity(object->entity().name), object->objectID_, object->values_});
  auto rows = store_->save(changes);
  if (!rows) return std::unexpected(rows.error());
  for (std::size_t i = 0; i < changed.size(); ++i) {
    changed[i]->objectID_ = (*rows)[i];
    changed[i]->hasChanges_ = false;
  }
  // Saved new objects are fetched ones from now on.
  for (auto& object : inserted_) fetched_.push_back(object);
  inserted_.clear();
  return {};
}

}  // namespace coredata
