// What the pipeline tests share: the local service's hosts by address.
#pragma once

#include <string>

#include "support/service.h"

namespace pipeline_test {

// "127.0.0.1:<port>" of the local service's port variable (ORVANE_API_PORT, ...).
inline std::wstring Host(const char* port_variable) {
  return test_support::ServiceHost(port_variable, L"127.0.0.1");
}

}  // namespace pipeline_test
