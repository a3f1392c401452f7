// Where the package comes from and where it is kept on this machine.
#pragma once

#include <string>

namespace app {

// Both are empty at process start and written once, by the version query's
// caller on the UI thread while the installer window initialises. The install
// task reads them afterwards on the worker thread; posting that task orders
// the writes before the reads, so no lock guards them.
extern std::wstring downloadUrl;  // the full package URL
extern std::wstring packagePath;  // the local package file: temporary folder + date + ".zip"
// The package's SHA-256 as the service names it (64 lowercase hex digits),
// or empty when the service names none.
extern std::string packageSha256;

}  // namespace app
