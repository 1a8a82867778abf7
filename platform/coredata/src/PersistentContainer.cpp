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
  // Checked before anything is made: a store that another user could replace
  // or read is refused, naming the folder or file at fault.
  if (auto guarded = platform::files::guardPrivateFile(platform::paths::applicationSupport(), description.url,
                                                       platform::files::MissingFolders::create);
      !guarded)
    return std::unexpected(
        makeCoreDataError(PersistentStoreOpenError, guarded.error().reason, {{"NSFilePath", description.url.string()}}));
  auto store = SQLiteStore::open(description.url, *model_);
  if (!store) return std::unexpected(store.error());
  viewContext_.attach(std::move(*store), &*model_);
  return {};
}

}  // namespace coredata
