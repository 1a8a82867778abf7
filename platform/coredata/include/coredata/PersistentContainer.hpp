#pragma once

#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "coredata/ManagedObjectContext.hpp"
#include "coredata/ManagedObjectModel.hpp"
#include "foundation/Error.hpp"

namespace coredata {

struct PersistentStoreDescription {
  std::filesystem::path url;
  std::string type = "SQLite";
};

// A named object store: the model is the main bundle's resource
// "<name>.datamodel", the store the SQLite file "<name>.sqlite" in the
// default folder ($XDG_DATA_HOME/<bundle identifier>). Stores are local:
// nothing is mirrored to a cloud service.
class PersistentContainer {
 public:
  explicit PersistentContainer(std::string name);
  // The same, with the model given rather than read from the bundle.
  PersistentContainer(std::string name, std::expected<ManagedObjectModel, platform::ErrorPtr> model);
  PersistentContainer(const PersistentContainer&) = delete;
  PersistentContainer& operator=(const PersistentContainer&) = delete;

  static std::filesystem::path defaultDirectoryURL();

  const std::string& name() const { return name_; }
  // Null when the model could not be loaded.
  const ManagedObjectModel* managedObjectModel() const { return model_ ? &*model_ : nullptr; }
  const std::vector<PersistentStoreDescription>& persistentStoreDescriptions() const { return descriptions_; }

  // Opens (or creates) each described store, then calls the completion once
  // for each, on this thread, with the error that kept it from loading or
  // null. A store that does not open is left as it was on disk.
  using LoadCompletion = std::function<void(const PersistentStoreDescription&, platform::ErrorPtr)>;
  void loadPersistentStores(const LoadCompletion& completion);

  ManagedObjectContext& viewContext() { return viewContext_; }

 private:
  std::expected<void, platform::ErrorPtr> load(const PersistentStoreDescription& description);

  std::string name_;
  std::expected<ManagedObjectModel, platform::ErrorPtr> model_;
  std::vector<PersistentStoreDescription> descriptions_;
  ManagedObjectContext viewContext_;
};

}  // namespace coredata
