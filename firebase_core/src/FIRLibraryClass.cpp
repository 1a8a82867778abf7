#include "firebase_core/FIRLibraryClass.hpp"

#include <map>
#include <mutex>

namespace firebase {

namespace {
struct ClassTable {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const FIRLibraryClass>> classes;
};
ClassTable& classTable() {
  static ClassTable table;
  return table;
}
}  // namespace

void FIRLibraryClass::declare(std::shared_ptr<const FIRLibraryClass> libraryClass) {
  auto& table = classTable();
  std::lock_guard lock(table.mutex);
  table.classes[libraryClass->className()] = std::move(libraryClass);
}

std::shared_ptr<const FIRLibraryClass> FIRLibraryClass::named(const std::string& className) {
  auto& table = classTable();
  std::lock_guard lock(table.mutex);
  auto it = table.classes.find(className);
  return it == table.classes.end() ? nullptr : it->second;
}

}  // namespace firebase
