#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "corvane/build_config.h"
#include "platform/device/device_text.h"
#include "platform/device/linux/linux_device_info.h"

namespace corvane::platform {
namespace {

using namespace std::string_literals;

struct TrimCase {
  std::string field;
  std::string expected;
};

TEST(DeviceText, AsciiTrimmedReadsTheWholeFieldAndTrimsControlCharactersAtBothEnds) {
  const TrimCase cases[] = {
      {"x86_64\0\0\0\0\0\0"s, "x86_64"},
      {"\0\0\0"s, ""},
      {""s, ""},
      {"\t\n host-1 \r\n\0"s, " host-1 "},        // spaces are not control characters
      {"ab\0cd\0\0"s, "ab\0cd"s},                 // inner NUL stays: only the ends are trimmed
      {"\x7F" "box" "\x1F"s, "box"},
      {"caf\xC3\xA9\0\0"s, ""},                   // UTF-8 is not ASCII: empty
      {"name\0\0\xFF"s, ""},                      // a stray high byte in the padding counts too
  };
  for (const auto& c : cases) {
    EXPECT_EQ(asciiTrimmed(c.field), c.expected) << testing::PrintToString(c.field);
  }
}

TEST(DeviceText, RegionFromLocale) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"de_DE.UTF-8", "DE"}, {"en_US", "US"},           {"en_us.utf8", "US"},
      {"sr_RS@latin", "RS"}, {"es_419.UTF-8", "419"},   {"C", std::nullopt},
      {"POSIX", std::nullopt}, {"C.UTF-8", std::nullopt}, {"fr", std::nullopt},
      {"", std::nullopt},     {"en_", std::nullopt},     {"en_USA", std::nullopt},
      {"en_1", std::nullopt}, {"en_U1", std::nullopt},
  };
  for (const auto& [locale, region] : cases) {
    EXPECT_EQ(regionFromLocale(locale), region) << locale;
  }
}

TEST(DeviceText, ChosenLocaleIsTheFirstSetAndNonEmptyOfLcAllLcMessagesLang) {
  EXPECT_EQ(chosenLocale("de_DE", "fr_FR", "en_US"), "de_DE");
  EXPECT_EQ(chosenLocale("", "fr_FR", "en_US"), "fr_FR");
  EXPECT_EQ(chosenLocale(nullptr, nullptr, "en_US"), "en_US");
  EXPECT_EQ(chosenLocale(nullptr, "", ""), "");
  // "C" is set, so it wins and yields no region rather than falling through to LANG.
  EXPECT_EQ(regionFromLocale(chosenLocale("C", nullptr, "en_US")), std::nullopt);
}

TEST(DeviceText, OsReleaseVersionId) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nID=debian\n", "12"},
      {"VERSION_ID=22.04", "22.04"},
      {"VERSION_ID='3.19.1'\n", "3.19.1"},
      {"  VERSION_ID=\"a\\\"b\"\r\n", "a\"b"},
      {"VERSION_ID=1\nVERSION_ID=2\n", "2"},
      {"ID=arch\nBUILD_ID=rolling\n", std::nullopt},
      {"VERSION_ID=\"\"\n", std::nullopt},
      {"MY_VERSION_ID=9\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, version] : cases) {
    EXPECT_EQ(osReleaseVersionId(text), version) << text;
  }
}

TEST(DeviceText, FormatUuidV4SetsVersionAndVariantInUpperCase) {
  std::array<std::uint8_t, 16> ones;
  ones.fill(0xFF);
  EXPECT_EQ(formatUuidV4(ones), "FFFFFFFF-FFFF-4FFF-BFFF-FFFFFFFFFFFF");
  std::array<std::uint8_t, 16> zeros{};
  EXPECT_EQ(formatUuidV4(zeros), "00000000-0000-4000-8000-000000000000");
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-device-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name) << text;
    return path_ / name;
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST(LinuxDeviceInfo, SystemVersionFollowsTheFirstOsReleaseFileThatExists) {
  TempDir dir;
  utsname record{};
  ASSERT_EQ(::uname(&record), 0);
  const std::string kernel = record.release;

  const auto debian = dir.write("debian", "ID=debian\nVERSION_ID=\"12\"\n");
  const auto rolling = dir.write("rolling", "ID=arch\n");
  const auto missing = dir.path() / "missing";
  EXPECT_EQ(LinuxDeviceInfo({missing, debian}).systemVersion(), "12");
  EXPECT_EQ(LinuxDeviceInfo({rolling, debian}).systemVersion(), kernel);
  EXPECT_EQ(LinuxDeviceInfo({missing}).systemVersion(), kernel);
}

TEST(LinuxDeviceInfo, ReadsTheRunningSystem) {
  LinuxDeviceInfo info;
  utsname record{};
  ASSERT_EQ(::uname(&record), 0);
  EXPECT_EQ(info.model(), record.machine);  // machine names are plain ASCII
  EXPECT_EQ(info.deviceName(), asciiTrimmed(std::string_view(record.nodename, sizeof record.nodename)));
  EXPECT_FALSE(info.systemVersion().empty());
  EXPECT_EQ(info.appVersion(), build::kVersion);
}

TEST(LinuxDeviceInfo, RegionComesFromTheLocaleEnvironment) {
  LinuxDeviceInfo info;
  ::setenv("LC_ALL", "", 1);
  ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(info.regionCode(), "DE");
  ::unsetenv("LC_MESSAGES");
  EXPECT_EQ(info.regionCode(), "US");
  ::setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(info.regionCode(), std::nullopt);
  ::unsetenv("LC_ALL");
  ::unsetenv("LANG");
  EXPECT_EQ(info.regionCode(), std::nullopt);
}

TEST(LinuxDeviceInfo, VendorIdentifiersAreFreshVersion4Uuids) {
  LinuxDeviceInfo info;
  const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  const std::string first = info.makeVendorIdentifier();
  const std::string second = info.makeVendorIdentifier();
  EXPECT_TRUE(std::regex_match(first, form)) << first;
  EXPECT_TRUE(std::regex_match(second, form)) << second;
  EXPECT_NE(first, second);
}

}  // namespace
}  // namespace corvane::platform
