// The private file store: what survives a restart, file modes, atomic replacement, the
// identity rules, and what happens to a file that does not decode.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/secitem/file/keychain_file_format.h"
#include "securestore/keychain_store.h"
#include "securestore/support/temp_home.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;
using securestore::KeychainStore;

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

mode_t modeOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

class FileBackendTest : public ::testing::Test {
 protected:
  testing::TempHome home;
  Paths paths = Paths::underHome(home.path());
  fs::path file = FileSecItemBackend::defaultFile(paths);
  std::shared_ptr<CapturingSink> sink;
  Log log = Log::capturing(sink);
};

TEST_F(FileBackendTest, ItemsSurviveANewBackendAndStayPrivate) {
  {
    FileSecItemBackend backend(file, log);
    KeychainStore store(backend, log, std::string("Corvane"));
    ASSERT_TRUE(store.setString("0F5E2A9C-3B1D-4C7E-9A2B-6D8E1F0A4B3C", "UUID"));
    ASSERT_TRUE(store.setString("second", "other"));
    ASSERT_TRUE(store.setString("changed", "other"));
  }
  EXPECT_EQ(file, home.path() / "data" / "keychain.db");
  EXPECT_EQ(modeOf(file.parent_path()), 0700u);
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(modeOf(file.string() + ".lock"), 0600u);
  // Every write went through a temporary that was renamed; none is left.
  EXPECT_EQ(namesIn(file.parent_path()), (std::set<std::string>{"keychain.db", "keychain.db.lock"}));

  FileSecItemBackend reopened(file, log);
  KeychainStore store(reopened, log, std::string("Corvane"));
  EXPECT_EQ(store.stringForKey("UUID"), "0F5E2A9C-3B1D-4C7E-9A2B-6D8E1F0A4B3C");
  EXPECT_EQ(store.stringForKey("other"), "changed");
  ASSERT_TRUE(store.removeItemForKey("UUID"));
  EXPECT_EQ(KeychainStore(reopened, log, std::string("Corvane")).stringForKey("UUID"), std::nullopt);
  EXPECT_TRUE(sink->lines().empty());
}

TEST_F(FileBackendTest, TightensAnExistingOpenFolder) {
  fs::create_directories(file.parent_path());
  ::chmod(file.parent_path().c_str(), 0755);
  FileSecItemBackend backend(file, log);
  ASSERT_TRUE(KeychainStore(backend, log).setString("v", "k"));
  EXPECT_EQ(modeOf(file.parent_path()), 0700u);
}

TEST_F(FileBackendTest, ServicesDoNotSeeEachOthersItems) {
  FileSecItemBackend backend(file, log);
  KeychainStore corvane(backend, log, std::string("Corvane"));
  KeychainStore other(backend, log, std::string("Other"));
  ASSERT_TRUE(corvane.setString("mine", "UUID"));
  EXPECT_EQ(other.stringForKey("UUID"), std::nullopt);
  ASSERT_TRUE(other.setString("theirs", "UUID"));  // an add, not an update of Corvane's item
  ASSERT_TRUE(other.removeItemForKey("UUID"));
  EXPECT_EQ(corvane.stringForKey("UUID"), "mine");
  EXPECT_EQ(other.stringForKey("UUID"), std::nullopt);
}

// The identity and matching rules, as every backend answers them.
TEST_F(FileBackendTest, IdentityAndMatchingRules) {
  FileSecItemBackend backend(file, log);
  auto item = [](std::string group, SecSynchronizable sync) {
    SecItemDictionary d;
    d.itemClass = SecItemClass::genericPassword;
    d.service = "S";
    d.account = "A";
    d.accessGroup = std::move(group);
    d.synchronizable = sync;
    d.valueData = SecData{'v'};
    return d;
  };
  auto query = [](std::optional<SecSynchronizable> sync, std::optional<std::string> group = {}) {
    SecItemDictionary q;
    q.itemClass = SecItemClass::genericPassword;
    q.service = "S";
    q.account = "A";
    q.synchronizable = sync;
    q.accessGroup = std::move(group);
    return q;
  };
  EXPECT_EQ(backend.add(item("g1", SecSynchronizable::yes)), secstatus::kSuccess);
  EXPECT_EQ(backend.add(item("g1", SecSynchronizable::no)), secstatus::kDuplicateItem);
  EXPECT_EQ(backend.add(item("g2", SecSynchronizable::no)), secstatus::kSuccess);
  EXPECT_EQ(backend.add(item("g3", SecSynchronizable::any)), secstatus::kParam);

  struct Row {
    const char* name;
    SecItemDictionary query;
    SecStatus status;
  };
  SecItemDictionary noClass = query(SecSynchronizable::any);
  noClass.itemClass.reset();
  SecItemDictionary allWithData = query(SecSynchronizable::any);
  allWithData.returnData = true;
  allWithData.matchLimit = SecMatchLimit::all;
  const Row rows[] = {
      {"any finds both", query(SecSynchronizable::any), secstatus::kSuccess},
      {"yes finds the synchronising one", query(SecSynchronizable::yes, "g1"), secstatus::kSuccess},
      {"no does not find it", query(SecSynchronizable::no, "g1"), secstatus::kItemNotFound},
      {"absent means no", query(std::nullopt, "g1"), secstatus::kItemNotFound},
      {"other group", query(SecSynchronizable::any, "g9"), secstatus::kItemNotFound},
      {"no class", noClass, secstatus::kParam},
      {"all data at once", allWithData, secstatus::kParam},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(backend.copyMatching(row.query).status, row.status) << row.name;
  }
  // Moving one item onto the other's identity is refused and changes nothing.
  SecItemDictionary regroup;
  regroup.accessGroup = "g2";
  EXPECT_EQ(backend.update(query(SecSynchronizable::any, "g1"), regroup), secstatus::kDuplicateItem);
  EXPECT_EQ(backend.copyMatching(query(SecSynchronizable::yes, "g1")).status, secstatus::kSuccess);
  // One delete without a group removes the item in every group.
  EXPECT_EQ(backend.deleteItems(query(SecSynchronizable::any)), secstatus::kSuccess);
  EXPECT_EQ(backend.deleteItems(query(SecSynchronizable::any)), secstatus::kItemNotFound);
}

TEST_F(FileBackendTest, RefusesAnAuthenticationPolicyItCannotEnforce) {
  FileSecItemBackend backend(file, log);
  KeychainStore::Options options;
  options.authenticationPolicy = secaccess::kUserPresence;
  KeychainStore guarded(backend, log, options);
  auto result = guarded.setString("secret", "k");
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().code, secstatus::kUnimplemented);
  EXPECT_FALSE(fs::exists(file));
}

// ---- files that do not decode --------------------------------------------------------------

std::string validFile() {
  SecItem item;
  item.service = "Corvane";
  item.account = "UUID";
  item.value = SecData{'a', 'b', 'c'};
  return encodeKeychainFile({item});
}

TEST_F(FileBackendTest, CorruptFileIsMovedAsideAndTheStoreStartsEmpty) {
  std::string flipped = validFile();
  flipped[20] ^= 0x01;
  struct Row {
    const char* name;
    std::string bytes;
  };
  const Row rows[] = {
      {"empty", ""},
      {"text", "UUID=abc\n"},
      {"truncated", validFile().substr(0, validFile().size() - 5)},
      {"one bit flipped", flipped},
      {"version 0", std::string("CVKEYCH\n\0\0\0\0", 12) + std::string(40, '\0')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(file.parent_path());
    fs::create_directories(file.parent_path());
    writeAll(file, row.bytes);
    sink->clear();

    FileSecItemBackend backend(file, log);
    KeychainStore store(backend, log, std::string("Corvane"));
    EXPECT_EQ(store.stringForKey("UUID"), std::nullopt);

    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
      if (entry.path().filename().string().rfind("keychain.db.corrupt-", 0) == 0) {
        aside.push_back(entry.path());
      }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readAll(aside[0]), row.bytes);
    ASSERT_EQ(sink->lines().size(), 1u);
    EXPECT_NE(sink->lines()[0].find(file.string() + " is unreadable"), std::string::npos);
    EXPECT_NE(sink->lines()[0].find(aside[0].string()), std::string::npos);

    ASSERT_TRUE(store.setString("fresh", "UUID"));
    EXPECT_EQ(store.stringForKey("UUID"), "fresh");
    EXPECT_EQ(readAll(aside[0]), row.bytes);
  }
}

TEST_F(FileBackendTest, FileFromANewerVersionIsLeftAlone) {
  std::string newer = validFile();
  newer[8] = 2;  // the version field
  fs::create_directories(file.parent_path());
  writeAll(file, newer);
  FileSecItemBackend backend(file, log);
  KeychainStore store(backend, log, std::string("Corvane"));
  Error error;
  EXPECT_EQ(store.stringForKey("UUID", &error), std::nullopt);
  EXPECT_EQ(error.code, secstatus::kNotAvailable);
  auto write = store.setString("x", "UUID");
  ASSERT_FALSE(write);
  EXPECT_EQ(write.error().code, secstatus::kNotAvailable);
  EXPECT_EQ(readAll(file), newer);
  EXPECT_EQ(namesIn(file.parent_path()), (std::set<std::string>{"keychain.db", "keychain.db.lock"}));
}

TEST_F(FileBackendTest, TemporaryLeftByACrashedWriterIsCleanedOnTheNextWrite) {
  fs::create_directories(file.parent_path());
  writeAll(file.string() + ".tmp-abc123", "half a file");
  FileSecItemBackend backend(file, log);
  ASSERT_TRUE(KeychainStore(backend, log).setString("v", "k"));
  EXPECT_EQ(namesIn(file.parent_path()), (std::set<std::string>{"keychain.db", "keychain.db.lock"}));
}

// A link planted in place of the file is neither followed nor replaced.
TEST_F(FileBackendTest, RefusesALinkInPlaceOfTheFile) {
  fs::create_directories(file.parent_path());
  const fs::path elsewhere = home.path() / "elsewhere";
  writeAll(elsewhere, validFile());
  fs::create_symlink(elsewhere, file);
  FileSecItemBackend backend(file, log);
  KeychainStore store(backend, log, std::string("Corvane"));
  Error error;
  EXPECT_EQ(store.stringForKey("UUID", &error), std::nullopt);
  EXPECT_EQ(error.code, secstatus::kIoError);
  EXPECT_FALSE(store.setString("x", "UUID"));
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(readAll(elsewhere), validFile());
}

TEST(KeychainFileFormat, RoundTripsEveryField) {
  SecItem full;
  full.itemClass = SecItemClass::internetPassword;
  full.service = "Corvane";
  full.accessGroup = "group";
  full.account = "UUID";
  full.synchronizable = true;
  full.accessible = SecAccessible::alwaysThisDeviceOnly;
  full.accessControlFlags = secaccess::kUserPresence | secaccess::kDevicePasscode;
  full.value = SecData{0, 0xFF, 'x'};
  full.generic = SecData{};
  full.label = "label";
  full.comment = "";
  SecItem bare;
  bare.account = "other";
  auto decoded = decodeKeychainFile(encodeKeychainFile({full, bare}));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, (std::vector<SecItem>{full, bare}));
}

}  // namespace
}  // namespace corvane::platform
