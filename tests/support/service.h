// The local service tools/test starts (tools/service): its ports as
// tools/env.sh names them, its state folder and the version its API answers.
// Each fails the test when tools/test did not pass the setting on.
#pragma once

#include <string>

namespace test_support {

// A port variable of the service (ORVANE_API_PORT, ORVANE_STORAGE_PORT, ...).
int ServicePort(const char* variable);
// "<name>:<port>" of that port.
std::wstring ServiceHost(const char* port_variable, const wchar_t* name = L"localhost");
// The service's state folder, Windows form.
std::wstring ServiceDir();
// The version the local API answers: the first line of its api/version file.
std::string ServedVersion();

}  // namespace test_support
