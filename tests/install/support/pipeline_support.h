// What the pipeline tests share: the local service's hosts by address and its package.
#pragma once

#include <string>

#include "support/service.h"

namespace pipeline_test {

// "127.0.0.1:<port>" of the local service's port variable (ORVANE_API_PORT, ...).
inline std::wstring Host(const char* port_variable) {
  return test_support::ServiceHost(port_variable, L"127.0.0.1");
}

// The package the local storage holds for the version its API answers
// (release channel).
inline std::wstring StoredPackage() {
  const std::string version = test_support::ServedVersion();
  return test_support::ServiceDir() + L"\\storage\\download\\latest\\" +
         std::wstring(version.begin(), version.end()) + L"\\orvanecloud.zip";
}

}  // namespace pipeline_test
