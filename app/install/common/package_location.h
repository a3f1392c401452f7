// Where the package comes from and where it is kept on this machine.
#pragma once

#include <string>

namespace app {

// Made by the version step from the service's answer; the steps that fetch,
// check and extract the package only read it.
struct PackageLocation {
  std::wstring downloadUrl;  // the full package URL
  std::wstring packagePath;  // the local package file: temporary folder + date + ".zip"
  // The package's SHA-256 as the service names it (64 lowercase hex digits),
  // or empty when the service names none.
  std::string packageSha256;
};

}  // namespace app
