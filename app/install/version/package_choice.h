// Which package to install: the service's current version, the storage URL
// made from it, and the local file the download goes to. Runs on the UI
// thread at start-up, and again in the install task when start-up found none.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "app/install/common/package_location.h"

namespace app {

// "--test" anywhere in the command line (case-sensitive substring).
bool IsTestMode(const std::wstring& command_line);
// strftime "%Y_%m_%d" of the local date of `now`.
std::wstring DateStamp(std::time_t now);
// https://<storage><channel><version>/orvanecloud.zip?name=<date>
std::wstring PackageUrl(const std::wstring& storage_host, bool test_mode, const std::string& version,
                        const std::wstring& date_stamp);

// Asks the API (test or production host after the command line) for the
// current version and makes the package location from it; none when no
// version came back.
std::optional<PackageLocation> GetNewVersion();
// The same against a given host and command line (tests).
std::optional<PackageLocation> GetNewVersion(const std::wstring& command_line, const std::wstring& api_host,
                                             const std::wstring& test_api_host, const std::wstring& storage_host);

}  // namespace app
