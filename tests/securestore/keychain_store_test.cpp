// KeychainStore over the scripted backend: the read/write/remove rules, the statuses that
// lead to add, update or a security error, and the exact error values and log lines.
#include <gtest/gtest.h>

#include <thread>

#include "platform/secitem/test/scripted_sec_item_backend.h"
#include "securestore/keychain_store.h"

namespace corvane::securestore {
namespace {

using platform::CapturingSink;
using platform::Log;
using platform::ScriptedSecItemBackend;
using platform::SecData;
using platform::SecOperation;

std::vector<SecOperation> operations(const ScriptedSecItemBackend& backend) {
  std::vector<SecOperation> out;
  for (const auto& call : backend.calls()) out.push_back(call.operation);
  return out;
}

class KeychainStoreTest : public ::testing::Test {
 protected:
  std::shared_ptr<CapturingSink> sink;
  ScriptedSecItemBackend backend;
  KeychainStore store{backend, Log::capturing(sink), std::string("Corvane")};
};

// ---- the store's behaviour as a sequence of calls ------------------------------------------

using OptText = std::optional<std::string>;

struct Step {
  enum Kind { set, setBytes, get, remove } kind;
  OptText key;
  OptText value;  // set: the text; setBytes: the raw bytes; get: the expected text
  std::int64_t errorCode;  // 0: no error expected
  std::string errorDescription;

  Step fails(std::int64_t code, std::string description) const {
    Step failing = *this;
    failing.errorCode = code;
    failing.errorDescription = std::move(description);
    return failing;
  }
};

Step set(OptText key, OptText value) { return {Step::set, key, value, 0, {}}; }
Step setBytes(OptText key, std::string bytes) { return {Step::setBytes, key, bytes, 0, {}}; }
Step get(OptText key, OptText expected = std::nullopt) { return {Step::get, key, expected, 0, {}}; }
Step remove(OptText key) { return {Step::remove, key, std::nullopt, 0, {}}; }

struct Scenario {
  const char* name;
  std::vector<Step> steps;
  std::vector<std::string> logLines;  // every line the scenario logs, in order
};

const std::string kNotUtf8 = "\xC3\x28";  // a two-byte lead followed by ASCII
const std::string kNilKey = "the key must not to be nil";

const Scenario kScenarios[] = {
    {"ReadNeverWrittenIsAbsentWithoutError", {get("UUID")}, {}},
    {"WriteTwiceThenRead", {set("UUID", "abc"), set("UUID", "abc"), get("UUID", "abc")}, {}},
    {"AbsentValueRemovesAndRemovingAgainSucceeds",
     {set("UUID", "abc"), set("UUID", std::nullopt), get("UUID"), set("UUID", std::nullopt)},
     {}},
    {"StoredBytesThatAreNotUtf8",
     {setBytes("UUID", "\xFF\xFE"),
      get("UUID").fails(-67594, "failed to convert data to string")},
     {"error: [-67594] failed to convert data to string"}},
    {"TextThatIsNotUtf8IsRefusedAndNothingStored",
     {set("UUID", kNotUtf8).fails(-67594, "failed to convert string to data"), get("UUID")},
     {"error: [-67594] failed to convert string to data"}},
    {"EmptyTextIsAValue", {set("UUID", ""), get("UUID", "")}, {}},
    {"NilKeyIsRefusedByEveryOperationAndTouchesNothing",
     {set("UUID", "keep"), set(std::nullopt, "abc").fails(1, kNilKey),
      setBytes(std::nullopt, "abc").fails(1, kNilKey), get(std::nullopt).fails(1, kNilKey),
      remove(std::nullopt).fails(1, kNilKey), set(std::nullopt, std::nullopt).fails(1, kNilKey),
      get("UUID", "keep")},
     {"error: [1] the key must not to be nil"}},
    {"KeysAreSeparate",
     {set("a", "1"), set("b", "2"), remove("a"), get("a"), get("b", "2")},
     {}},
};

void PrintTo(const Scenario& scenario, std::ostream* os) { *os << scenario.name; }

class KeychainScenarioTest : public KeychainStoreTest,
                             public ::testing::WithParamInterface<Scenario> {};

TEST_P(KeychainScenarioTest, Runs) {
  std::size_t index = 0;
  for (const Step& step : GetParam().steps) {
    SCOPED_TRACE("step " + std::to_string(index++));
    const auto key = step.key ? std::optional<std::string_view>(*step.key) : std::nullopt;
    const auto value = step.value ? std::optional<std::string_view>(*step.value) : std::nullopt;
    std::optional<Error> error;
    switch (step.kind) {
      case Step::set:
      case Step::setBytes:
      case Step::remove: {
        Result<void> result = step.kind == Step::set ? store.setString(value, key)
                              : step.kind == Step::remove
                                  ? store.removeItemForKey(key)
                                  : store.setData(SecData(step.value->begin(), step.value->end()), key);
        if (!result) error = result.error();
        break;
      }
      case Step::get: {
        Error out;
        const auto got = store.stringForKey(key, &out);
        EXPECT_EQ(got, step.value);
        // The form without an error pointer gives the same answer.
        EXPECT_EQ(store.stringForKey(key), step.value);
        if (!out.domain.empty()) error = out;
        break;
      }
    }
    if (step.errorCode == 0) {
      EXPECT_FALSE(error.has_value()) << (error ? error->toString() : "");
    } else {
      ASSERT_TRUE(error.has_value());
      EXPECT_EQ(error->domain, "net.corvane.client.keychain");
      EXPECT_EQ(error->code, step.errorCode);
      EXPECT_EQ(error->description, step.errorDescription);
    }
  }
  // Each get above ran twice, so its error lines appear twice; compare without repeats.
  auto lines = sink->lines();
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  auto expected = GetParam().logLines;
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  EXPECT_EQ(lines, expected);
}

INSTANTIATE_TEST_SUITE_P(Edges, KeychainScenarioTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- which backend operations run, and what happens on each status --------------------------

TEST_F(KeychainStoreTest, FirstWriteAddsSecondUpdatesRemoveDeletes) {
  ASSERT_TRUE(store.setString("abc", "UUID"));
  ASSERT_TRUE(store.setString("def", "UUID"));
  EXPECT_EQ(operations(backend),
            (std::vector{SecOperation::copyMatching, SecOperation::add, SecOperation::copyMatching,
                         SecOperation::update}));
  ASSERT_EQ(backend.items().size(), 1u);
  EXPECT_EQ(backend.items()[0].value, SecData({'d', 'e', 'f'}));
  backend.clearCalls();
  ASSERT_TRUE(store.setString(std::nullopt, "UUID"));
  EXPECT_EQ(operations(backend), std::vector{SecOperation::deleteItems});
  EXPECT_TRUE(backend.items().empty());
}

TEST_F(KeychainStoreTest, InteractionNotAllowedInExistenceCheckUpdates) {
  ASSERT_TRUE(store.setString("old", "UUID"));
  backend.clearCalls();
  backend.script(SecOperation::copyMatching, platform::secstatus::kInteractionNotAllowed);
  ASSERT_TRUE(store.setString("new", "UUID"));
  EXPECT_EQ(operations(backend), (std::vector{SecOperation::copyMatching, SecOperation::update}));
  EXPECT_EQ(store.stringForKey("UUID"), "new");
  EXPECT_TRUE(sink->lines().empty());
}

// A status the store does not expect at some step becomes a security error carrying it.
struct StatusCase {
  const char* name;
  SecOperation failing;
  bool itemExists;            // whether the item is there before the call
  bool write;                 // setString (true) or removeItemForKey (false)
  std::vector<SecOperation> expectedCalls;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class KeychainStatusTest : public KeychainStoreTest,
                           public ::testing::WithParamInterface<std::tuple<StatusCase, int>> {};

TEST_P(KeychainStatusTest, FailsWithSecurityError) {
  const auto& [c, status] = GetParam();
  if (c.itemExists) {
    ASSERT_TRUE(store.setString("old", "UUID"));
  }
  backend.clearCalls();
  sink->clear();
  backend.script(c.failing, status);
  Result<void> result = c.write ? store.setString("new", "UUID") : store.removeItemForKey("UUID");
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), Error("net.corvane.client.keychain", status));
  EXPECT_EQ(result.error().description, "Security error has occurred.");
  EXPECT_EQ(sink->lines(), std::vector<std::string>{"OSStatus error: [" + std::to_string(status) +
                                                    "] Security error has occurred."});
  EXPECT_EQ(operations(backend), c.expectedCalls);
  // The stored item is as before the failed call.
  EXPECT_EQ(store.stringForKey("UUID"), c.itemExists ? std::optional<std::string>("old")
                                                     : std::nullopt);
}

const StatusCase kStatusCases[] = {
    {"ExistenceCheck", SecOperation::copyMatching, true, true, {SecOperation::copyMatching}},
    {"Add", SecOperation::add, false, true, {SecOperation::copyMatching, SecOperation::add}},
    {"Update", SecOperation::update, true, true,
     {SecOperation::copyMatching, SecOperation::update}},
    {"Delete", SecOperation::deleteItems, true, false, {SecOperation::deleteItems}},
};

INSTANTIATE_TEST_SUITE_P(
    Statuses, KeychainStatusTest,
    ::testing::Combine(::testing::ValuesIn(kStatusCases),
                       ::testing::Values(-25291, -25299, -36, -50, 1)),
    [](const auto& info) {
      const int status = std::get<1>(info.param);
      return std::string(std::get<0>(info.param).name) + (status < 0 ? "_minus" : "_") +
             std::to_string(status < 0 ? -status : status);
    });

TEST_F(KeychainStoreTest, ReadStatuses) {
  ASSERT_TRUE(store.setString("abc", "UUID"));
  sink->clear();
  struct Row {
    int status;
    std::optional<SecData> data;
    std::int64_t code;  // 0: absent without error
    const char* log;
  };
  const Row rows[] = {
      {platform::secstatus::kItemNotFound, std::nullopt, 0, nullptr},
      {platform::secstatus::kInteractionNotAllowed, std::nullopt, -25308,
       "OSStatus error: [-25308] Security error has occurred."},
      {-25291, std::nullopt, -25291, "OSStatus error: [-25291] Security error has occurred."},
      {0, std::nullopt, -99999, "error: [-99999] Unexpected error has occurred."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.status);
    sink->clear();
    backend.script(SecOperation::copyMatching, row.status, row.data);
    Error error;
    EXPECT_EQ(store.stringForKey("UUID", &error), std::nullopt);
    EXPECT_EQ(error.code, row.code);
    if (row.log != nullptr) {
      EXPECT_EQ(sink->lines(), std::vector<std::string>{row.log});
    } else {
      EXPECT_TRUE(error.domain.empty());
      EXPECT_TRUE(sink->lines().empty());
    }
  }
  EXPECT_EQ(store.stringForKey("UUID"), "abc");
}

// ---- the dictionaries the store hands to the backend ---------------------------------------

TEST_F(KeychainStoreTest, QueriesAndAttributes) {
  ASSERT_TRUE(store.setData(SecData{1, 2}, "UUID",
                            {.generic = SecData{9}, .label = "the label", .comment = "why"}));
  ASSERT_TRUE(store.setString("x", "UUID"));
  (void)store.stringForKey("UUID");
  ASSERT_TRUE(store.removeItemForKey("UUID"));
  const auto calls = backend.calls();
  ASSERT_EQ(calls.size(), 6u);

  platform::SecItemDictionary base;
  base.itemClass = platform::SecItemClass::genericPassword;
  base.synchronizable = platform::SecSynchronizable::any;
  base.service = "Corvane";
  base.account = "UUID";
  EXPECT_EQ(store.query().account, std::nullopt);

  auto existence = base;
  existence.authenticationUIFail = true;
  EXPECT_EQ(calls[0].query, existence);

  auto added = base;
  added.valueData = SecData{1, 2};
  added.accessible = platform::SecAccessible::afterFirstUnlock;
  added.synchronizable = platform::SecSynchronizable::no;
  added.generic = SecData{9};
  added.label = "the label";
  added.comment = "why";
  EXPECT_EQ(calls[1].attributes, added);

  EXPECT_EQ(calls[3].query, base);  // update matches without the "UI must fail" option
  platform::SecItemDictionary changes;
  changes.valueData = SecData{'x'};
  changes.accessible = platform::SecAccessible::afterFirstUnlock;
  changes.synchronizable = platform::SecSynchronizable::no;
  EXPECT_EQ(calls[3].attributes, changes);

  auto read = base;
  read.matchLimit = platform::SecMatchLimit::one;
  read.returnData = true;
  EXPECT_EQ(calls[4].query, read);
  EXPECT_EQ(calls[5].query, base);
}

TEST_F(KeychainStoreTest, ConfiguredOptionsReachTheQuery) {
  KeychainStore::Options options;
  options.accessGroup = "group.net.corvane";
  options.authenticationPrompt = "Unlock the device identifier";
  options.useAuthenticationUI = false;
  options.synchronizable = true;
  options.accessibility = platform::SecAccessible::whenUnlockedThisDeviceOnly;
  KeychainStore configured(backend, Log::null(), options);
  EXPECT_EQ(configured.service(), "net.corvane.client");
  EXPECT_EQ(KeychainStore(backend, Log::null()).service(), "net.corvane.client");

  ASSERT_TRUE(configured.setString("abc", "k"));
  const auto added = backend.calls().at(1).attributes;
  EXPECT_EQ(added.service, "net.corvane.client");
  EXPECT_EQ(added.accessGroup, "group.net.corvane");
  EXPECT_EQ(added.operationPrompt, "Unlock the device identifier");
  EXPECT_TRUE(added.authenticationUIFail);
  EXPECT_EQ(added.synchronizable, platform::SecSynchronizable::yes);
  EXPECT_EQ(added.accessible, platform::SecAccessible::whenUnlockedThisDeviceOnly);
  // A synchronising item is still found by a store that does not synchronise.
  EXPECT_EQ(KeychainStore(backend, Log::null(), options.service, options.accessGroup)
                .stringForKey("k"),
            "abc");
}

TEST_F(KeychainStoreTest, AuthenticationPolicy) {
  KeychainStore::Options options;
  options.service = "Corvane";
  options.authenticationPolicy = platform::secaccess::kUserPresence;
  KeychainStore guarded(backend, Log::capturing(sink), options);

  ASSERT_TRUE(guarded.setString("abc", "k"));
  const auto added = backend.calls().at(1).attributes;
  EXPECT_EQ(added.accessible, std::nullopt);
  EXPECT_EQ(added.accessControl,
            (platform::SecAccessControl{platform::SecAccessible::afterFirstUnlock,
                                        platform::secaccess::kUserPresence}));

  // The backend's own error is logged and returned; without one, the unexpected error.
  backend.failAccessControl(Error("net.corvane.client.secitem", -4, "no policy here"));
  auto refused = guarded.setString("def", "k");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), Error("net.corvane.client.secitem", -4));
  EXPECT_TRUE(sink->contains("error: [-4] no policy here"));
  backend.failAccessControl(std::nullopt);
  auto unexplained = guarded.setString("def", "other");
  ASSERT_FALSE(unexplained);
  EXPECT_EQ(unexplained.error(), Error("net.corvane.client.keychain", -99999));
  EXPECT_EQ(backend.items().size(), 1u);
  EXPECT_EQ(guarded.stringForKey("k"), "abc");
}

TEST(KeychainSharedStore, MadeOnceForTheApplicationService) {
  static ScriptedSecItemBackend backend;
  std::vector<KeychainStore*> seen(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&, i] { seen[i] = &KeychainStore::shared(backend, Log::null()); });
  }
  for (auto& t : threads) t.join();
  for (KeychainStore* store : seen) EXPECT_EQ(store, seen[0]);
  EXPECT_EQ(seen[0]->service(), "Corvane");
  EXPECT_EQ(seen[0]->accessGroup(), std::nullopt);
  EXPECT_EQ(seen[0]->accessibility(), platform::SecAccessible::afterFirstUnlock);
}

}  // namespace
}  // namespace corvane::securestore
