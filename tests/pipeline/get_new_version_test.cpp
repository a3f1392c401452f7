#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "app/install_pipeline.h"
#include "app/package_location.h"

namespace app {
namespace {

std::wstring Host(const char* port_variable) {
  const char* port = std::getenv(port_variable);
  std::string host = std::string("127.0.0.1:") + (port ? port : "1");
  return std::wstring(host.begin(), host.end());
}

TEST(GetNewVersion, TestModeAsksTheTestHostAndFillsUrlAndPath) {
  std::wstring api = Host("ORVANE_API_PORT");
  ASSERT_TRUE(GetNewVersion(L"setup.exe --test", Host("ORVANE_DEAD_PORT"), api, L"storage:1"));
  std::wstring date = DateStamp(std::time(nullptr));
  wchar_t temp[261] = {};
  ::GetTempPathW(260, temp);
  EXPECT_EQ(packagePath, std::wstring(temp) + date + L".zip");
  EXPECT_EQ(downloadUrl.rfind(L"https://storage:1/download/development/latest/", 0), 0u) << downloadUrl;
  EXPECT_NE(downloadUrl.find(L"/orvanecloud.zip?name=" + date), std::wstring::npos) << downloadUrl;
  // The local API names its package's SHA-256, which the download checks.
  EXPECT_EQ(packageSha256.size(), 64u) << "no package digest taken from the answer";
}

}  // namespace
}  // namespace app
