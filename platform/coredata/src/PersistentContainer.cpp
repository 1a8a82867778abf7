#include "coredata/PersistentContainer.hpp"

#include "SQLiteStore.hpp"
#include "coredata/CoreDataError.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/PrivateFiles.hpp"

namespace coredata {
namespace {

std::expected<ManagedObjectModel, platform::ErrorPtr> bundledModel(const std::string& name) {
  auto path = platform::Bundle::main().pathForResource(name, "datamodel");
  if (!path)
    return std::unexpected(makeCoreDataError(ManagedObjectModelLoadError,
                                             "The bundle has no managed object model named " + name + ".",
                                             {{"NSBundlePath", platform::Bundle::main().bundlePath().string()}}));
  return ManagedObjectModel::load(*path);
}

}  // namespace

PersistentContainer::PersistentContainer(std::string name) : PersistentContainer(name, bundledModel(name)) {}

PersistentContainer::PersistentContainer(std::string name, std::expected<ManagedObjectModel, platform::ErrorPtr> model)
    : name_(std::move(name)), model_(std::move(model)) {
  descriptions_.push_back({defaultDirectoryURL() / (name_ + ".sqlite")});
}

std::filesystem::path PersistentContainer::defaultDirectoryURL() {
  return platform::paths::applicationSupport() / platform::Bundle::main().bundleIdentifier();
}

void PersistentContainer::loadPersistentStores(const LoadCompletion& completion) {
  for (const auto& description : descriptions_) {
    auto loaded = load(description);
    completion(description, loaded ? nullptr : loaded.error());
  }
}

std::expected<void, platform::ErrorPtr> PersistentContainer::load(const PersistentStoreDescription& description) {
  if (!model_) return std::unexpected(model_.error());
  // A folder made here is the user's alone; one that was there keeps the
  // permissions its owner gave it.
  if (auto made = platform::files::makePrivateFolders(description.url.parent_path()); !made)
    return std::unexpected(makeCoreDataError(PersistentStoreOpenError, "The store's folder could not be created.",
                                             {{"NSFilePath", description.url.parent_path().string()},
                                              {"reason", made.error().reason}}));
  auto store = SQLiteStore::open(description.url, *model_);
  if (!store) return std::unexpected(store.error());
  viewContext_.attach(std::move(*store), &*model_);
  return {};
}

}  // namespace coredata
