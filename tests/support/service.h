// The local service tools/test starts: its ports as tools/env.sh names them
// (ORVANE_API_PORT, ...), its state folder and the version its API answers.
// Each fails the test when tools/test did not pass the setting on.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/files.h"
#include "support/paths.h"

namespace test_support {

inline std::string ServiceSetting(const char* name) {
  const std::string value = Environment(name);
  if (value.empty()) ADD_FAILURE() << name << " is not set; run the tests through tools/test";
  return value;
}
inline int ServicePort(const char* variable) { return std::atoi(ServiceSetting(variable).c_str()); }
// "<name>:<port>" of the port `port_variable`.
inline std::wstring ServiceHost(const char* port_variable, const wchar_t* name = L"localhost") {
  return std::wstring(name) + L":" + std::to_wstring(ServicePort(port_variable));
}
inline std::wstring ServiceDir() { return WindowsPath(ServiceSetting("ORVANE_SERVICE_DIR")); }
// The API's version endpoint, as the service serves it.
inline constexpr wchar_t kVersionPath[] = L"/api/orv/desktop/user/getClientVersion";
// The first line of the API's api/version file.
inline std::string ServedVersion() {
  const std::string text = ReadFileBytes(ServiceDir() + L"\\api\\version");
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace test_support
