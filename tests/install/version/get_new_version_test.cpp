#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <optional>
#include <string>

#include "base/text/ansi_text.h"
#include "app/install/version/package_choice.h"
#include "support/fixed_wall_clock.h"
#include "install/support/pipeline_support.h"

namespace app {
namespace {

using pipeline_test::Host;

// 2026-12-31 23:59:59 local time: the date changes with the next second.
std::time_t LastSecondOf2026() {
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 11;
  moment.tm_mday = 31;
  moment.tm_hour = 23;
  moment.tm_min = 59;
  moment.tm_sec = 59;
  moment.tm_isdst = -1;
  return std::mktime(&moment);
}

TEST(GetNewVersion, TestModeAsksTheTestHostAndFillsUrlAndPath) {
  std::wstring version = base::FromAnsi(test_support::ServedVersion());
  ASSERT_FALSE(version.empty()) << "the local API has no version file";
  std::wstring api = Host("ORVANE_API_PORT");
  std::optional<PackageLocation> package;
  {
    test_support::ScopedFixedWallClock clock(LastSecondOf2026());
    package = GetNewVersion(L"setup.exe --test", Host("ORVANE_DEAD_PORT"), api, L"storage:1");
  }
  ASSERT_TRUE(package);
  wchar_t temp[261] = {};
  ::GetTempPathW(260, temp);
  EXPECT_EQ(package->packagePath, std::wstring(temp) + L"2026_12_31.zip");
  EXPECT_EQ(package->downloadUrl, L"https://storage:1/download/development/latest/" + version +
                                      L"/orvanecloud.zip?name=2026_12_31");
  // The local API names its package's SHA-256, which the download checks.
  EXPECT_EQ(package->packageSha256.size(), 64u) << "no package digest taken from the answer";
}

}  // namespace
}  // namespace app
