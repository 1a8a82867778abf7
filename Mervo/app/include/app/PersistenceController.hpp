#pragma once

#include <memory>

#include "coredata/PersistentContainer.hpp"

namespace mervo {

// The application's object store: the container "quorbel", its model a
// resource of the bundle. Created once, before anything else of the
// application; a store that does not load ends the process ("Unresolved
// error ..."), and its file stays as it was.
class PersistenceController {
 public:
  static PersistenceController& shared();

  coredata::PersistentContainer& container() { return *container_; }

 private:
  PersistenceController();
  std::unique_ptr<coredata::PersistentContainer> container_;
};

}  // namespace mervo
