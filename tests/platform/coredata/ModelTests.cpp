#include <gtest/gtest.h>

#include "CoreDataTestSupport.hpp"
#include "coredata/CoreDataError.hpp"
#include "coredata/ManagedObjectModel.hpp"

namespace {

using coredata::AttributeType;
using coredata::ManagedObjectModel;

// A model of one entity "Item" whose attribute list is `attributes`.
std::string modelWithAttributes(const std::string& attributes) {
  return "<plist version=\"1.0\"><dict><key>entities</key><array><dict><key>name</key><string>Item</string>"
         "<key>attributes</key><array>" + attributes + "</array></dict></array></dict></plist>";
}

std::string attribute(const std::string& name, const std::string& type, const std::string& extra = {}) {
  return "<dict><key>name</key><string>" + name + "</string><key>type</key><string>" + type + "</string>" + extra +
         "</dict>";
}

TEST(ManagedObjectModel, ReadsTheStoresModel) {
  auto model = ManagedObjectModel::parse(coredata_test::kItemModel);
  ASSERT_TRUE(model) << model.error()->localizedDescription();
  ASSERT_EQ(model->entities().size(), 1u);
  const auto* item = model->entity("Item");
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->attributes.size(), 1u);
  EXPECT_EQ(item->attributes[0].name, "timestamp");
  EXPECT_EQ(item->attributes[0].type, AttributeType::date);
  EXPECT_TRUE(item->attributes[0].isOptional);
  EXPECT_EQ(model->entity("item"), nullptr);  // names are case-sensitive
}

TEST(ManagedObjectModel, EveryTypeAndTheOptionalFlag) {
  auto model = ManagedObjectModel::parse(modelWithAttributes(
      attribute("a", "date") + attribute("b", "string", "<key>optional</key><false/>") + attribute("c", "integer64") +
      attribute("d", "double") + attribute("e", "boolean")));
  ASSERT_TRUE(model);
  const auto& attributes = model->entity("Item")->attributes;
  ASSERT_EQ(attributes.size(), 5u);
  EXPECT_EQ(attributes[1].type, AttributeType::string);
  EXPECT_FALSE(attributes[1].isOptional);
  EXPECT_EQ(attributes[2].type, AttributeType::integer64);
  EXPECT_EQ(attributes[3].type, AttributeType::double_);
  EXPECT_EQ(attributes[4].type, AttributeType::boolean);
}

TEST(ManagedObjectModel, FingerprintFollowsWhatTheStoreHolds) {
  auto dates = ManagedObjectModel::parse(modelWithAttributes(attribute("timestamp", "date")));
  auto again = ManagedObjectModel::parse(coredata_test::kItemModel);
  auto strings = ManagedObjectModel::parse(modelWithAttributes(attribute("timestamp", "string")));
  ASSERT_TRUE(dates && again && strings);
  EXPECT_EQ(dates->fingerprint(), again->fingerprint());
  EXPECT_NE(dates->fingerprint(), strings->fingerprint());
}

struct BadModel {
  const char* name;
  std::string text;
};

// Named in test listings by its case name, not by its bytes.
void PrintTo(const BadModel& c, std::ostream* os) { *os << c.name; }

class RefusedModel : public ::testing::TestWithParam<BadModel> {};

// Names become SQL identifiers, so anything but plain names is refused
// rather than quoted.
INSTANTIATE_TEST_SUITE_P(
    ManagedObjectModel, RefusedModel,
    ::testing::Values(
        BadModel{"NotAPropertyList", "entities = Item"},
        BadModel{"TopLevelArray", "<plist version=\"1.0\"><array/></plist>"},
        BadModel{"NoEntities", "<plist version=\"1.0\"><dict/></plist>"},
        BadModel{"EmptyEntityList", "<plist version=\"1.0\"><dict><key>entities</key><array/></dict></plist>"},
        BadModel{"EntityNotADictionary",
                 "<plist version=\"1.0\"><dict><key>entities</key><array><string>Item</string></array></dict></plist>"},
        BadModel{"EntityWithoutAttributeList",
                 "<plist version=\"1.0\"><dict><key>entities</key><array><dict><key>name</key><string>Item</string>"
                 "</dict></array></dict></plist>"},
        BadModel{"NameWithQuote", modelWithAttributes(attribute("time\"stamp", "date"))},
        BadModel{"NameWithBlank", modelWithAttributes(attribute("time stamp", "date"))},
        BadModel{"NameStartingWithDigit", modelWithAttributes(attribute("1timestamp", "date"))},
        BadModel{"StoreColumnName", modelWithAttributes(attribute("Z_PK", "integer64"))},
        BadModel{"OverlongName", modelWithAttributes(attribute(std::string(65, 'a'), "date"))},
        BadModel{"UnknownType", modelWithAttributes(attribute("timestamp", "Date"))},
        BadModel{"MissingType", modelWithAttributes("<dict><key>name</key><string>timestamp</string></dict>")},
        BadModel{"OptionalNotBoolean", modelWithAttributes(attribute("a", "date", "<key>optional</key><string>YES</string>"))},
        BadModel{"AttributeTwice", modelWithAttributes(attribute("a", "date") + attribute("a", "string"))},
        BadModel{"EntityTwice",
                 "<plist version=\"1.0\"><dict><key>entities</key><array>"
                 "<dict><key>name</key><string>Item</string><key>attributes</key><array/></dict>"
                 "<dict><key>name</key><string>Item</string><key>attributes</key><array/></dict>"
                 "</array></dict></plist>"}),
    [](const ::testing::TestParamInfo<BadModel>& info) { return std::string(info.param.name); });

TEST_P(RefusedModel, IsNotLoaded) {
  auto model = ManagedObjectModel::parse(GetParam().text);
  ASSERT_FALSE(model);
  EXPECT_EQ(model.error()->domain(), coredata::kErrorDomain);
  EXPECT_EQ(model.error()->code(), coredata::ManagedObjectModelLoadError);
}

}  // namespace
