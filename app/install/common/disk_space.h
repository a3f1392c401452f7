// The check made before a package is written or unpacked: is there room?
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace app {

// Answers the free bytes available to the caller on the volume of
// `directory`, or false when the volume cannot be queried.
using FreeSpaceQuery = std::function<bool(const std::wstring& directory, uint64_t* freeBytesToCaller)>;

// The system's answer (GetDiskFreeSpaceExW).
bool QueryFreeSpace(const std::wstring& directory, uint64_t* freeBytesToCaller);

// True when the volume of the folder `directory` has fewer free bytes than
// `size`. Sizes are 64-bit, so a package of 2 GiB or more is compared as the
// number it is. A volume that cannot be queried counts as roomy, so a failing
// query never blocks an install. Logs the free bytes and the size.
bool IsDiskSpaceInsufficient(uint64_t size, const std::wstring& directory);
bool IsDiskSpaceInsufficient(uint64_t size, const std::wstring& directory, const FreeSpaceQuery& query);

}  // namespace app
