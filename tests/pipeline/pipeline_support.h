// What the pipeline tests share: the local service's hosts and version.
#pragma once

#include <string>

namespace pipeline_test {

// "127.0.0.1:<port>" of the local service's port variable (ORVANE_API_PORT,
// ORVANE_STORAGE_PORT, ...); port 1, where nothing answers, when unset.
std::wstring Host(const char* port_variable);

// The version the local API answers: the first line of its api/version file.
std::wstring ServedVersion();

// The package the local storage holds for that version (release channel).
std::wstring StoredPackage();

}  // namespace pipeline_test
