// The check the download makes before it writes a package.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace app {

// Answers the free bytes available to the caller on the volume of
// `directory` (a narrow path in the system code page), or false when the
// volume cannot be queried.
using FreeSpaceQuery = std::function<bool(const std::string& directory, uint64_t* freeBytesToCaller)>;

// The system's answer (GetDiskFreeSpaceExA).
bool QueryFreeSpace(const std::string& directory, uint64_t* freeBytesToCaller);

// True when the volume of `directory` has fewer free bytes than `size`. A
// volume that cannot be queried counts as roomy, so a failing query never
// blocks an install. Logs the free bytes and the size.
bool IsDiskSpaceInsufficient(int32_t size, const std::string& directory);
bool IsDiskSpaceInsufficient(int32_t size, const std::string& directory, const FreeSpaceQuery& query);

}  // namespace app
