#include "app/PersistenceController.hpp"

#include "app/FatalError.hpp"

namespace mervo {

PersistenceController& PersistenceController::shared() {
  static PersistenceController* controller = new PersistenceController();  // lives as long as the process
  return *controller;
}

PersistenceController::PersistenceController() : container_(std::make_unique<coredata::PersistentContainer>("quorbel")) {
  container_->loadPersistentStores([](const coredata::PersistentStoreDescription&, const platform::ErrorPtr& error) {
    if (error) fatalError("Unresolved error " + error->debugDescription() + ", " + error->userInfoDescription());
  });
  container_->viewContext().setAutomaticallyMergesChangesFromParent(true);
}

}  // namespace mervo
