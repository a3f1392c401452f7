#include "pipeline_support.h"

#include <cstdlib>
#include <fstream>

#include "support/paths.h"
#include "support/text.h"

namespace pipeline_test {

std::wstring Host(const char* port_variable) {
  const char* port = std::getenv(port_variable);
  std::string host = std::string("127.0.0.1:") + (port ? port : "1");
  return std::wstring(host.begin(), host.end());
}

std::wstring ServedVersion() {
  std::wstring path = test_support::WindowsPath(test_support::Environment("ORVANE_SERVICE_DIR") + "/api/version");
  std::ifstream file(path.c_str());
  std::string line;
  std::getline(file, line);
  return test_support::Wide(line);
}

std::wstring StoredPackage() {
  return test_support::WindowsPath(test_support::Environment("ORVANE_SERVICE_DIR") + "/storage/download/latest/") +
         ServedVersion() + L"\\orvanecloud.zip";
}

}  // namespace pipeline_test
