// The keychain backends against one contract: the file store and the Secret Service (a real
// gnome-keyring on a private session bus) answer every request the same. Then the choice
// between them, moving the file's items over when the Secret Service is chosen, and what a
// bus without a keyring or a keyring that hangs costs.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>
#include <variant>

#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/secitem/sec_item_backend_factory.h"
#include "platform/secitem/sec_item_table.h"
#include "platform/secitem/secret_service/secret_service_backend.h"
#include "securestore/keychain_store.h"
#include "securestore/support/child_process.h"
#include "securestore/support/session_keyring.h"

namespace corvane::platform {
namespace {

using namespace std::chrono_literals;
using corvane::testing::SessionKeyring;
using securestore::KeychainStore;

// ---- building requests ---------------------------------------------------------------------

SecItemDictionary item(std::string group, SecSynchronizable sync, SecData value,
                       SecItemClass itemClass = SecItemClass::genericPassword, std::string account = "A") {
  SecItemDictionary d;
  d.itemClass = itemClass;
  d.service = "S";
  d.account = std::move(account);
  d.accessGroup = std::move(group);
  d.synchronizable = sync;
  d.valueData = std::move(value);
  return d;
}

SecItemDictionary query(std::optional<SecSynchronizable> sync, std::optional<std::string> group = {},
                        bool returnData = false, std::string account = "A") {
  SecItemDictionary q;
  q.itemClass = SecItemClass::genericPassword;
  q.service = "S";
  q.account = std::move(account);
  q.synchronizable = sync;
  q.accessGroup = std::move(group);
  q.returnData = returnData;
  return q;
}

template <typename Change>
SecItemDictionary with(SecItemDictionary d, Change change) {
  change(d);
  return d;
}

const SecData kBinary{0, 0xFF, 'x', 0};
const std::string kOddAccount("\x01\xFF\0z", 4);  // not UTF-8, a NUL, the escape's own lead

struct Add {
  SecItemDictionary attributes;
};
struct Copy {
  SecItemDictionary query;
  std::optional<SecData> data;  // expected with kSuccess and returnData
};
struct Update {
  SecItemDictionary query;
  SecItemDictionary attributes;
};
struct Delete {
  SecItemDictionary query;
};
struct Step {
  const char* name;
  std::variant<Add, Copy, Update, Delete> op;
  SecStatus status;
};

const std::vector<Step>& contract() {
  const auto any = SecSynchronizable::any;
  const auto yes = SecSynchronizable::yes;
  const auto no = SecSynchronizable::no;
  static const std::vector<Step> steps = {
      {"add with every optional field",
       Add{with(item("g1", yes, kBinary), [](auto& d) {
         d.generic = SecData{1, 2};
         d.label = "L";
         d.comment = "";
         d.accessible = SecAccessible::alwaysThisDeviceOnly;
       })},
       secstatus::kSuccess},
      {"same identity, other sync", Add{item("g1", no, {'y'})}, secstatus::kDuplicateItem},
      {"other group, empty value", Add{item("g2", no, {})}, secstatus::kSuccess},
      {"other class is another identity",
       Add{item("g1", no, {'i'}, SecItemClass::internetPassword)}, secstatus::kSuccess},
      {"any is not a stored value", Add{item("g3", any, {'v'})}, secstatus::kParam},
      {"add without class", Add{with(item("g3", no, {}), [](auto& d) { d.itemClass.reset(); })},
       secstatus::kParam},
      {"odd account texts round-trip", Add{item("g1", no, {'o'}, SecItemClass::genericPassword, kOddAccount)},
       secstatus::kSuccess},

      {"binary value", Copy{query(any, "g1", true), kBinary}, secstatus::kSuccess},
      {"empty value", Copy{query(any, "g2", true), SecData{}}, secstatus::kSuccess},
      {"odd account", Copy{query(any, "g1", true, kOddAccount), SecData{'o'}}, secstatus::kSuccess},
      {"yes finds the synchronising one", Copy{query(yes, "g1"), {}}, secstatus::kSuccess},
      {"no does not", Copy{query(no, "g1"), {}}, secstatus::kItemNotFound},
      {"absent means no", Copy{query(std::nullopt, "g1"), {}}, secstatus::kItemNotFound},
      {"other group", Copy{query(any, "g9"), {}}, secstatus::kItemNotFound},
      {"matching label", Copy{with(query(any), [](auto& q) { q.label = "L"; }), {}}, secstatus::kSuccess},
      {"other label", Copy{with(query(any), [](auto& q) { q.label = "M"; }), {}}, secstatus::kItemNotFound},
      {"empty comment is a comment",
       Copy{with(query(any, "g2"), [](auto& q) { q.comment = ""; }), {}}, secstatus::kItemNotFound},
      {"matching generic", Copy{with(query(any), [](auto& q) { q.generic = SecData{1, 2}; }), {}},
       secstatus::kSuccess},
      {"all data at once",
       Copy{with(query(any, {}, true), [](auto& q) { q.matchLimit = SecMatchLimit::all; }), {}},
       secstatus::kParam},
      {"copy without class", Copy{with(query(any), [](auto& q) { q.itemClass.reset(); }), {}},
       secstatus::kParam},

      {"new value", Update{query(any, "g2"), with(SecItemDictionary{}, [](auto& d) { d.valueData = SecData{'n'}; })},
       secstatus::kSuccess},
      {"reads the new value", Copy{query(any, "g2", true), SecData{'n'}}, secstatus::kSuccess},
      {"regroup onto another item",
       Update{query(any, "g1"), with(SecItemDictionary{}, [](auto& d) { d.accessGroup = "g2"; })},
       secstatus::kDuplicateItem},
      {"refused regroup changed nothing", Copy{query(yes, "g1", true), kBinary}, secstatus::kSuccess},
      {"an item keeps its class",
       Update{query(any, "g2"),
              with(SecItemDictionary{}, [](auto& d) { d.itemClass = SecItemClass::internetPassword; })},
       secstatus::kParam},
      {"update of nothing", Update{query(any, "g9"), with(SecItemDictionary{}, [](auto& d) { d.label = "x"; })},
       secstatus::kItemNotFound},
      {"relabel and resync",
       Update{query(any, "g2"), with(SecItemDictionary{}, [](auto& d) {
                d.label = "new";
                d.synchronizable = SecSynchronizable::yes;
              })},
       secstatus::kSuccess},
      {"found by its new attributes",
       Copy{with(query(yes, "g2", true), [](auto& q) { q.label = "new"; }), SecData{'n'}}, secstatus::kSuccess},

      {"policy item stored",
       Add{with(item("g5", no, {'p'}), [](auto& d) {
         d.accessControl = SecAccessControl{SecAccessible::whenUnlocked, secaccess::kUserPresence};
       })},
       secstatus::kSuccess},
      {"policy item without asking",
       Copy{with(query(any, "g5", true), [](auto& q) { q.authenticationUIFail = true; }), {}},
       secstatus::kInteractionNotAllowed},
      {"policy item when asking is allowed", Copy{query(any, "g5", true), SecData{'p'}}, secstatus::kSuccess},

      {"one delete takes every group", Delete{query(any)}, secstatus::kSuccess},
      {"nothing left of the account", Copy{query(any), {}}, secstatus::kItemNotFound},
      {"again", Delete{query(any)}, secstatus::kItemNotFound},
      {"the other class stays",
       Copy{with(query(any, "g1", true), [](auto& q) { q.itemClass = SecItemClass::internetPassword; }),
            SecData{'i'}},
       secstatus::kSuccess},
      {"the odd account stays", Copy{query(any, {}, true, kOddAccount), SecData{'o'}}, secstatus::kSuccess},
      {"delete without class", Delete{with(query(any), [](auto& q) { q.itemClass.reset(); })},
       secstatus::kParam},
  };
  return steps;
}

SecStatus run(SecItemBackend& backend, const Step& step) {
  return std::visit(
      [&](const auto& op) -> SecStatus {
        using Op = std::decay_t<decltype(op)>;
        if constexpr (std::is_same_v<Op, Add>) {
          return backend.add(op.attributes);
        } else if constexpr (std::is_same_v<Op, Copy>) {
          SecCopyResult result = backend.copyMatching(op.query);
          if (result.status == secstatus::kSuccess && op.query.returnData) {
            EXPECT_EQ(result.data, op.data) << step.name;
          } else {
            EXPECT_EQ(result.data, std::nullopt) << step.name;
          }
          return result.status;
        } else if constexpr (std::is_same_v<Op, Update>) {
          return backend.update(op.query, op.attributes);
        } else {
          return backend.deleteItems(op.query);
        }
      },
      step.op);
}

// ---- one contract, both backends -----------------------------------------------------------

enum class Kind { file, secretService };

class BackendContract : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    if (GetParam() == Kind::file) {
      backend_ = std::make_unique<FileSecItemBackend>(home_.path() / "data" / "keychain.db", log_);
      return;
    }
    keyring_.emplace();
    auto opened = SecretServiceBackend::open(log_, {});
    ASSERT_TRUE(opened) << opened.error().description;
    backend_ = std::move(*opened);
  }

  corvane::testing::TempHome home_;
  std::optional<SessionKeyring> keyring_;
  std::shared_ptr<CapturingSink> sink_;
  Log log_ = Log::capturing(sink_);
  std::unique_ptr<SecItemBackend> backend_;
};

TEST_P(BackendContract, AnswersEveryStepAsTheContractSays) {
  for (const Step& step : contract()) {
    EXPECT_EQ(run(*backend_, step), step.status) << step.name;
  }
  std::optional<Error> error;
  EXPECT_EQ(backend_->createAccessControl(SecAccessible::whenUnlocked, secaccess::kUserPresence, error),
            std::nullopt);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code, secstatus::kUnimplemented);
  EXPECT_EQ(backend_->createAccessControl(SecAccessible::always, 0, error),
            (SecAccessControl{SecAccessible::always, 0}));

  // What the application does with it, through the store.
  KeychainStore store(*backend_, log_, std::string("Corvane"));
  ASSERT_TRUE(store.setString("0F5E2A9C-3B1D", "UUID"));
  ASSERT_TRUE(store.setString("changed", "UUID"));
  EXPECT_EQ(store.stringForKey("UUID"), "changed");
  ASSERT_TRUE(store.removeItemForKey("UUID"));
  EXPECT_EQ(store.stringForKey("UUID"), std::nullopt);
  EXPECT_TRUE(sink_->lines().empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendContract, ::testing::Values(Kind::file, Kind::secretService),
                         [](const auto& info) {
                           return std::string(info.param == Kind::file ? "File" : "SecretService");
                         });

// ---- the choice and the move ---------------------------------------------------------------

bool logged(const CapturingSink& sink, const std::string& text) {
  for (const auto& line : sink.lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

SecItem storedItem(std::string account, SecData value) {
  SecItem item;
  item.service = "Corvane";
  item.account = std::move(account);
  item.value = std::move(value);
  return item;
}

std::vector<SecItem> fileItems(FileSecItemBackend& file) {
  std::vector<SecItem> items;
  EXPECT_EQ(file.drainItems([&](const SecItem& item) {
    items.push_back(item);
    return false;
  }),
            secstatus::kSuccess);
  return items;
}

TEST(SecItemBackendChoice, MovesTheFilesItemsToTheSecretServiceOnceChosen) {
  SessionKeyring keyring;
  const Paths paths = Paths::underHome(keyring.scratch());
  FileSecItemBackend file(FileSecItemBackend::defaultFile(paths), Log::null());

  SecItem full = storedItem("UUID", SecData{'s', 'e', 'c', 'r', 'e', 't', '1'});
  full.synchronizable = true;
  full.accessGroup = "group";
  full.accessible = SecAccessible::afterFirstUnlockThisDeviceOnly;
  full.generic = SecData{0, 9};
  full.label = "device id";
  full.comment = "";
  const SecItem odd = storedItem(kOddAccount, SecData{'s', 'e', 'c', 'r', 'e', 't', '2'});
  const SecItem same = storedItem("same", SecData{'s', 'e', 'c', 'r', 'e', 't', '3'});
  const SecItem clash = storedItem("clash", SecData{'s', 'e', 'c', 'r', 'e', 't', '4'});
  for (const SecItem* one : std::initializer_list<const SecItem*>{&full, &odd, &same, &clash}) {
    ASSERT_EQ(file.add(storeRequest(*one)), secstatus::kSuccess);
  }
  {
    // Already there: `same` as an earlier move left it, `clash` with other contents.
    auto secrets = SecretServiceBackend::open(Log::null(), {});
    ASSERT_TRUE(secrets) << secrets.error().description;
    ASSERT_EQ((*secrets)->add(storeRequest(same)), secstatus::kSuccess);
    ASSERT_EQ((*secrets)->add(storeRequest(storedItem("clash", SecData{'o', 't', 'h', 'e', 'r'}))),
              secstatus::kSuccess);
  }

  std::shared_ptr<CapturingSink> sink;
  const Log log = Log::capturing(sink);
  ::setenv("CORVANE_KEYCHAIN", "file", 1);
  auto forced = makeSecItemBackend(paths, log);
  EXPECT_NE(dynamic_cast<FileSecItemBackend*>(forced.get()), nullptr);
  EXPECT_TRUE(logged(*sink, "the file store " + file.file().string() + " (CORVANE_KEYCHAIN=file)"));
  EXPECT_EQ(fileItems(file).size(), 4u);

  ::unsetenv("CORVANE_KEYCHAIN");
  sink->clear();
  auto chosen = makeSecItemBackend(paths, log);
  auto* secrets = dynamic_cast<SecretServiceBackend*>(chosen.get());
  ASSERT_NE(secrets, nullptr);
  EXPECT_TRUE(logged(*sink, "Keychain: the Secret Service on the session bus"));
  EXPECT_TRUE(logged(*sink, "moved 3 item(s) from " + file.file().string()));
  EXPECT_TRUE(logged(*sink, "left the item (service \"Corvane\", account \"clash\")"));
  for (const SecItem* one : std::initializer_list<const SecItem*>{&full, &odd, &same}) {
    SecItem stored;
    ASSERT_EQ(secrets->read(*one, stored), secstatus::kSuccess);
    EXPECT_EQ(stored, *one);
  }
  SecItem kept;
  ASSERT_EQ(secrets->read(clash, kept), secstatus::kSuccess);
  EXPECT_EQ(kept.value, (SecData{'o', 't', 'h', 'e', 'r'}));
  EXPECT_EQ(fileItems(file), std::vector<SecItem>{clash});
  for (const auto& line : sink->lines()) EXPECT_EQ(line.find("secret"), std::string::npos) << line;

  // Nothing more to move the next time.
  sink->clear();
  chosen = makeSecItemBackend(paths, log);
  EXPECT_FALSE(logged(*sink, "moved"));
  EXPECT_EQ(fileItems(file), std::vector<SecItem>{clash});
}

// The move into the keyring while a program already on it writes the same items: the
// keychain's lock makes them take turns, item by item. So each item is in the keyring once,
// as one of them wrote it, and neither is misled: an add that answered "stored" is what the
// keyring holds (and the file keeps its other version), and an item moved from the file is
// what an add was told was already there.
TEST(SecItemBackendChoice, AMoveAndAnotherProgramsWritesTakeTurns) {
  SessionKeyring keyring;
  const std::filesystem::path home = keyring.scratch();
  FileSecItemBackend file(FileSecItemBackend::defaultFile(Paths::underHome(home)), Log::null());
  auto opened = SecretServiceBackend::open(Log::null(), {});
  ASSERT_TRUE(opened) << opened.error().description;
  SecretServiceBackend& secrets = **opened;
  constexpr int kItems = 12;
  const auto version = [](int i, const std::string& by) {
    const std::string value = by + "-" + std::to_string(i);
    return storedItem("item-" + std::to_string(i), SecData(value.begin(), value.end()));
  };
  const std::string racer = corvane::testing::programPath("keychain_racer");
  // Unlocked, they clash within a round or two on this machine.
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(file.drainItems([](const SecItem&) { return true; }), secstatus::kSuccess);
    for (int i = 0; i < kItems; ++i) {
      (void)secrets.deleteItems(identityQuery(version(i, "")));
      ASSERT_EQ(file.add(storeRequest(version(i, "file"))), secstatus::kSuccess);
    }
    const std::string go = (home / ("go-" + std::to_string(round))).string();
    const pid_t mover = corvane::testing::spawnProgram(racer, {"move", home.string(), go});
    corvane::testing::ProgramRun adds;
    std::thread adder([&] {
      adds = corvane::testing::runProgram(racer, {"add", home.string(), go, "other", std::to_string(kItems)}, "");
    });
    std::this_thread::sleep_for(300ms);  // the adder opens the keyring before it goes
    std::ofstream(go).close();
    adder.join();
    EXPECT_EQ(corvane::testing::waitForExit(mover), 0);
    ASSERT_EQ(adds.exitCode, 0) << adds.err;
    ASSERT_EQ(adds.out.size(), static_cast<std::size_t>(kItems)) << adds.out;

    const std::vector<SecItem> left = fileItems(file);
    for (int i = 0; i < kItems; ++i) {
      SecItem stored;
      ASSERT_EQ(secrets.read(version(i, ""), stored), secstatus::kSuccess) << "item " << i << " is lost";
      const bool stayed = std::find(left.begin(), left.end(), version(i, "file")) != left.end();
      if (adds.out[kItems - 1 - i] == 'S') {
        EXPECT_EQ(stored, version(i, "other")) << "item " << i << ": the add was told it stored its version";
        EXPECT_TRUE(stayed) << "item " << i << ": the file's version went, but is not what the keyring holds";
      } else {
        EXPECT_EQ(stored, version(i, "file")) << "item " << i;
        EXPECT_FALSE(stayed) << "item " << i;
      }
    }
  }
}

// A bus on which no Secret Service is registered (nor could be activated): the file store,
// told by the bus at once rather than after a time-out, and a forced choice fails closed.
TEST(SecItemBackendChoice, BusWithoutAKeyringMeansTheFileStore) {
  SessionKeyring bus(SessionKeyring::With::busOnly);
  const Paths paths = Paths::underHome(bus.scratch());
  std::shared_ptr<CapturingSink> sink;
  const Log log = Log::capturing(sink);
  SecretServiceBackend::Options patient;
  patient.openTimeout = 30s;

  const auto started = std::chrono::steady_clock::now();
  auto chosen = makeSecItemBackend(paths, log, patient);
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_NE(dynamic_cast<FileSecItemBackend*>(chosen.get()), nullptr);
  EXPECT_TRUE(logged(*sink, "(no Secret Service answers on the session bus: "));
  EXPECT_FALSE(logged(*sink, "no answer within"));
  // Not a speed figure: a choice that waited for the time-out would take 30 s.
  EXPECT_LT(took, 15s);

  sink->clear();
  ::setenv("CORVANE_KEYCHAIN", "secret-service", 1);
  auto forced = makeSecItemBackend(paths, log, patient);
  EXPECT_EQ(forced->copyMatching(query(SecSynchronizable::any)).status, secstatus::kNotAvailable);
  EXPECT_EQ(forced->add(item("g", SecSynchronizable::no, {'v'})), secstatus::kNotAvailable);
  EXPECT_TRUE(logged(*sink, "CORVANE_KEYCHAIN=secret-service, but no Secret Service answers"));
  EXPECT_FALSE(std::filesystem::exists(FileSecItemBackend::defaultFile(paths)));

  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  ::unsetenv("CORVANE_KEYCHAIN");
  sink->clear();
  chosen = makeSecItemBackend(paths, log);
  EXPECT_NE(dynamic_cast<FileSecItemBackend*>(chosen.get()), nullptr);
  EXPECT_TRUE(logged(*sink, "(no session bus: DBUS_SESSION_BUS_ADDRESS is not set)"));
}

// A keyring that stops answering mid-session costs one time-out per request, not a hang; a
// new choice made meanwhile takes the file store, and the backend recovers once it answers.
TEST(SecItemBackendChoice, HungKeyringCostsATimeOutNotAHang) {
  SessionKeyring keyring;
  SecretServiceBackend::Options quick;
  quick.openTimeout = 300ms;
  quick.callTimeout = 300ms;
  std::shared_ptr<CapturingSink> sink;
  const Log log = Log::capturing(sink);
  auto opened = SecretServiceBackend::open(log, quick);
  ASSERT_TRUE(opened) << opened.error().description;
  SecretServiceBackend& secrets = **opened;
  ASSERT_EQ(secrets.add(item("g", SecSynchronizable::no, {'v'})), secstatus::kSuccess);

  keyring.freezeKeyring();
  EXPECT_EQ(secrets.copyMatching(query(SecSynchronizable::any, "g", true)).status, secstatus::kNotAvailable);
  EXPECT_EQ(secrets.add(item("h", SecSynchronizable::no, {'w'})), secstatus::kNotAvailable);
  EXPECT_TRUE(logged(*sink, "failed: no answer within 300 ms"));
  auto chosen = makeSecItemBackend(Paths::underHome(keyring.scratch()), log, quick);
  EXPECT_NE(dynamic_cast<FileSecItemBackend*>(chosen.get()), nullptr);
  EXPECT_TRUE(logged(*sink, "no answer within 300 ms)"));

  keyring.thawKeyring();
  const SecCopyResult after = secrets.copyMatching(query(SecSynchronizable::any, "g", true));
  EXPECT_EQ(after.status, secstatus::kSuccess);
  EXPECT_EQ(after.data, SecData{'v'});
}

}  // namespace
}  // namespace corvane::platform
