#include "support/service.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/files.h"
#include "support/paths.h"

namespace test_support {

int ServicePort(const char* variable) {
  const int port = std::atoi(Environment(variable).c_str());
  if (port <= 0) ADD_FAILURE() << variable << " is not set; run the tests through tools/test";
  return port;
}

std::wstring ServiceHost(const char* port_variable, const wchar_t* name) {
  return std::wstring(name) + L":" + std::to_wstring(ServicePort(port_variable));
}

std::wstring ServiceDir() {
  const std::string dir = Environment("ORVANE_SERVICE_DIR");
  if (dir.empty()) ADD_FAILURE() << "ORVANE_SERVICE_DIR is not set; run the tests through tools/test";
  return WindowsPath(dir);
}

std::string ServedVersion() {
  const std::string text = ReadFileBytes(ServiceDir() + L"\\api\\version");
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace test_support
