#include <gtest/gtest.h>

#include "CoreTestEnvironment.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRComponentContainer.hpp"

namespace firebase {
namespace {

using testing::CoreTest;

class GreetingProvider : public FIRComponentInstance {
 public:
  static constexpr const char* kProtocolName = "GreetingProvider";
  explicit GreetingProvider(std::string greeting) : greeting(std::move(greeting)) {}
  std::string greeting;
  bool appDeleted = false;
  void appWillBeDeleted(FIRApp&) override { appDeleted = true; }
};

class CounterProvider : public FIRComponentInstance {
 public:
  static constexpr const char* kProtocolName = "CounterProvider";
};

struct Counters {
  int greetings = 0;
  int counters = 0;
  int eager = 0;
};

Counters counts;

class GreetingLibrary : public FIRLibraryClass {
 public:
  GreetingLibrary(std::string name, std::string greeting) : name_(std::move(name)), greeting_(std::move(greeting)) {}
  std::string className() const override { return name_; }
  std::optional<std::vector<FIRComponent>> componentsToRegister() const override {
    const std::string greeting = greeting_;
    return std::vector<FIRComponent>{
        FIRComponent::make<GreetingProvider>([greeting](FIRComponentContainer&, bool& isCacheable) {
          ++counts.greetings;
          isCacheable = true;
          return std::make_shared<GreetingProvider>(greeting);
        }),
        FIRComponent::make<CounterProvider>([](FIRComponentContainer&, bool&) {
          ++counts.counters;
          return std::make_shared<CounterProvider>();
        }),
        FIRComponent{"EagerInDefault",
                     FIRInstantiationTiming::eagerInDefaultApp,
                     [](FIRComponentContainer&, bool& isCacheable) {
                       ++counts.eager;
                       isCacheable = true;
                       return std::make_shared<CounterProvider>();
                     },
                     {}},
        FIRComponent{
            "Mislabelled", FIRInstantiationTiming::lazy,
            [](FIRComponentContainer&, bool&) { return std::make_shared<CounterProvider>(); },
            [](const FIRComponentInstance& i) { return dynamic_cast<const GreetingProvider*>(&i) != nullptr; }},
    };
  }

 private:
  std::string name_;
  std::string greeting_;
};

class ComponentContainerTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    counts = {};
    FIRApp::registerInternalLibrary(std::make_shared<GreetingLibrary>("FirstLibrary", "hello"), "fire-first");
    FIRApp::registerInternalLibrary(std::make_shared<GreetingLibrary>("SecondLibrary", "bonjour"), "fire-second");
  }
};

TEST_F(ComponentContainerTest, TheFirstRegistrationWinsAndCachesWhenAsked) {
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  auto& container = FIRApp::defaultApp()->container();
  auto greeting = FIRComponentInstanceForProtocol<GreetingProvider>(container);
  ASSERT_NE(greeting, nullptr);
  EXPECT_EQ(greeting->greeting, "hello");
  EXPECT_EQ(FIRComponentInstanceForProtocol<GreetingProvider>(container), greeting);
  EXPECT_EQ(counts.greetings, 1);
  EXPECT_EQ(linesWithCode("I-COR000029").front(),
            "11.12.0 - [FirebaseCore][I-COR000029] Attempted to register protocol GreetingProvider, but it already has "
            "an implementation.");

  // Not cacheable: a new instance on every request.
  EXPECT_NE(container.instanceForProtocol("CounterProvider"), container.instanceForProtocol("CounterProvider"));
  EXPECT_EQ(counts.counters, 2);
}

TEST_F(ComponentContainerTest, UnknownProtocolsAnswerNothingQuietly) {
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  const auto before = loggedLines().size();
  EXPECT_EQ(FIRApp::defaultApp()->container().instanceForProtocol("FIRAppCheckInterop"), nullptr);
  EXPECT_EQ(FIRApp::defaultApp()->container().instanceForProtocol("FIRAuthInterop"), nullptr);
  EXPECT_EQ(loggedLines().size(), before);
}

TEST_F(ComponentContainerTest, EagerInDefaultAppIsLazyInOtherApps) {
  FIRApp::configureWithName("other", FIROptions(sampleOptions()));
  EXPECT_EQ(counts.eager, 0);
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  EXPECT_EQ(counts.eager, 1);
  FIRApp::appNamed("other")->container().instanceForProtocol("EagerInDefault");
  EXPECT_EQ(counts.eager, 2);
}

TEST_F(ComponentContainerTest, NonConformingInstancesAreLoggedAndDeletionTellsCachedInstances) {
  FIRApp::configureWithOptions(FIROptions(sampleOptions()));
  auto app = FIRApp::defaultApp();
  EXPECT_NE(app->container().instanceForProtocol("Mislabelled"), nullptr);
  EXPECT_EQ(linesWithCode("I-COR000030").size(), 1u);

  auto greeting = FIRComponentInstanceForProtocol<GreetingProvider>(app->container());
  app->deleteApp([](bool) {});
  EXPECT_TRUE(greeting->appDeleted);
  EXPECT_EQ(app->container().instanceForProtocol("GreetingProvider"), nullptr);
}

}  // namespace
}  // namespace firebase
