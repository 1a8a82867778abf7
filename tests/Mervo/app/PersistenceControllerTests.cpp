#include <gtest/gtest.h>

#include <filesystem>

#include "app/Item.hpp"
#include "app/PersistenceController.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using mervo::Item;
using mervo::PersistenceController;
using namespace std::chrono_literals;

// The shared controller lives for the whole process, so everything about it
// is checked in one test.
TEST(PersistenceController, OneStoreForTheProcessMergingChangesAutomatically) {
  auto resources = test_support::IsolatedEnvironment::bundlePath() / "Resources";
  std::filesystem::create_directories(resources);
  std::filesystem::copy_file(MERVO_MODEL, resources / "quorbel.datamodel", std::filesystem::copy_options::overwrite_existing);

  auto& controller = PersistenceController::shared();
  EXPECT_EQ(&PersistenceController::shared(), &controller);
  auto& container = controller.container();
  EXPECT_EQ(container.name(), "quorbel");
  EXPECT_TRUE(container.viewContext().automaticallyMergesChangesFromParent());
  EXPECT_TRUE(std::filesystem::exists(container.persistentStoreDescriptions().front().url));

  auto& context = container.viewContext();
  auto later = context.insertNewObject<Item>(Item::kEntityName);
  auto earlier = context.insertNewObject<Item>(Item::kEntityName);
  auto undated = context.insertNewObject<Item>(Item::kEntityName);
  ASSERT_TRUE(later && earlier && undated);
  later->setTimestamp(coredata::Date(2000s));
  earlier->setTimestamp(coredata::Date(1000s));
  ASSERT_TRUE(context.save());

  auto request = Item::fetchRequest();
  EXPECT_EQ(request.entityName, "Item");
  EXPECT_TRUE(request.sortDescriptors.empty());
  request.sortDescriptors = {{"timestamp", true}};
  auto items = context.fetch<Item>(request);
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 3u);
  EXPECT_EQ((*items)[0]->timestamp(), std::nullopt);  // no date sorts first
  EXPECT_EQ((*items)[1]->timestamp(), coredata::Date(1000s));
  EXPECT_EQ((*items)[2]->timestamp(), coredata::Date(2000s));
  (*items)[2]->setTimestamp(std::nullopt);
  EXPECT_EQ((*items)[2]->timestamp(), std::nullopt);
}

}  // namespace
