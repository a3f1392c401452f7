#include <gtest/gtest.h>

#include <ctime>

#include "app/install/install_pipeline.h"
#include "app/install/common/install_result.h"
#include "app/install/version/package_choice.h"

namespace app {
namespace {

TEST(PackageChoice, TestModeIsAnySubstringOfTheCommandLine) {
  EXPECT_TRUE(IsTestMode(L"C:\\setup.exe --test"));
  EXPECT_TRUE(IsTestMode(L"C:\\setup.exe --testing"));
  EXPECT_FALSE(IsTestMode(L"C:\\setup.exe --TEST"));
  EXPECT_FALSE(IsTestMode(L"C:\\setup.exe"));
}

TEST(PackageChoice, UrlOfBothChannels) {
  EXPECT_EQ(PackageUrl(L"127.0.0.1:1", false, "1.2.3", L"2026_12_07"),
            L"https://127.0.0.1:1/download/latest/1.2.3/orvanecloud.zip?name=2026_12_07");
  EXPECT_EQ(PackageUrl(L"127.0.0.1:1", true, "1.2.3", L"2026_12_07"),
            L"https://127.0.0.1:1/download/development/latest/1.2.3/orvanecloud.zip?name=2026_12_07");
}

TEST(PackageChoice, DateStampIsLocalDateWithUnderscores) {
  std::tm day{};
  day.tm_year = 2026 - 1900;
  day.tm_mon = 11;
  day.tm_mday = 7;
  day.tm_hour = 12;
  day.tm_isdst = -1;
  EXPECT_EQ(DateStamp(std::mktime(&day)), L"2026_12_07");
}

TEST(FailureTable, PromptsAndLogLines) {
  EXPECT_STREQ(FailureFor(InstallResult::NoFileSize)->promptText, L"获取文件大小失败，请重试");
  EXPECT_STREQ(FailureFor(InstallResult::OutOfDisk)->promptText, L"磁盘空间不足，请换个安装目录再试");
  EXPECT_STREQ(FailureFor(InstallResult::UnzipFailed)->logText, L"unzip failed");
  EXPECT_STREQ(FailureFor(InstallResult::RangeOpenFailed)->promptText, L"网络连接异常，请重试");
  // The URL or the handle that never opened also gets the network prompt.
  EXPECT_STREQ(FailureFor(InstallResult::OpenUrlFailed)->promptText, L"网络连接异常，请重试");
  EXPECT_STREQ(FailureFor(InstallResult::InternetOpenFailed)->promptText, L"网络连接异常，请重试");
  // A package that does not match its digest was deleted: retried like a failed download.
  EXPECT_STREQ(FailureFor(InstallResult::PackageCorrupt)->promptText, L"下载失败，请重试");
  EXPECT_FALSE(FailureFor(InstallResult::Success));
  EXPECT_FALSE(FailureFor(static_cast<InstallResult>(42)));
}

}  // namespace
}  // namespace app
