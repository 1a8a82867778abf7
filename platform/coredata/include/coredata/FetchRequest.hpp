#pragma once

#include <string>
#include <vector>

namespace coredata {

struct SortDescriptor {
  std::string key;
  bool ascending = true;
};

// All objects of one entity, in the order of the sort descriptors (then in
// the order they were saved).
struct FetchRequest {
  std::string entityName;
  std::vector<SortDescriptor> sortDescriptors;
};

}  // namespace coredata
