#include "app/install/version/package_choice.h"

#include <windows.h>

#include <cwchar>
#include <optional>

#include "app/install/common/build_config.h"
#include "app/install/common/product.h"
#include "app/install/common/setup_log.h"
#include "app/install/version/version_query.h"
#include "base/time/wall_clock.h"

namespace app {

bool IsTestMode(const std::wstring& command_line) {
  return command_line.find(L"--test") != std::wstring::npos;
}

std::wstring DateStamp(std::time_t now) {
  std::tm local{};
  ::localtime_s(&local, &now);
  wchar_t buffer[32] = {};
  std::wcsftime(buffer, 32, L"%Y_%m_%d", &local);
  return buffer;
}

std::wstring PackageUrl(const std::wstring& storage_host, bool test_mode, const std::string& version,
                        const std::wstring& date_stamp) {
  std::wstring url = L"https://" + storage_host;
  url += test_mode ? L"/download/development/latest/" : L"/download/latest/";
  for (unsigned char c : version) url += static_cast<wchar_t>(c);
  url += L"/" + std::wstring(kPackageFileName) + L"?name=" + date_stamp;
  return url;
}

std::optional<PackageLocation> GetNewVersion(const std::wstring& command_line, const std::wstring& api_host,
                                             const std::wstring& test_api_host, const std::wstring& storage_host) {
  bool test_mode = IsTestMode(command_line);
  const std::wstring& host = test_mode ? test_api_host : api_host;
  WriteSetupLog(L"GetNewVersion=>domain");
  WriteSetupLog(host);
  std::optional<ClientRelease> release = QueryClientRelease(host);
  // Without a version no URL can be formed; the install task asks again.
  if (!release) {
    WriteSetupLog(L"GetNewVersion: no version from the API");
    return std::nullopt;
  }
  const std::string& version = release->version;
  WriteSetupLog(L"new Version:");
  WriteSetupLog(std::wstring(version.begin(), version.end()));
  PackageLocation package;
  package.packageSha256 = release->packageSha256;
  if (!package.packageSha256.empty()) {
    WriteSetupLog(L"package sha256:");
    WriteSetupLog(std::wstring(package.packageSha256.begin(), package.packageSha256.end()));
  }
  std::wstring date = DateStamp(base::WallClockNow());
  wchar_t temp[261] = {};
  DWORD length = ::GetTempPathW(260, temp);
  std::wstring folder;
  if (length >= 1 && length <= 260) {
    folder = temp;
  } else {
    WriteSetupLog(L"Unable to get system temporary folder path");
  }
  WriteSetupLog(L"temporary folder path\xFF1A");
  WriteSetupLog(folder);
  package.packagePath = folder + date + L".zip";
  package.downloadUrl = PackageUrl(storage_host, test_mode, version, date);
  WriteSetupLog(L"downloadURL:");
  WriteSetupLog(package.downloadUrl);
  return package;
}

std::optional<PackageLocation> GetNewVersion() {
  return GetNewVersion(::GetCommandLineW(), build_config::kApiHost, build_config::kTestApiHost,
                       build_config::kStorageHost);
}

}  // namespace app
