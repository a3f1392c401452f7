#include "app/disk_space.h"

#include <windows.h>

#include "app/setup_log.h"

namespace app {

bool QueryFreeSpace(const std::string& directory, uint64_t* freeBytesToCaller) {
  ULARGE_INTEGER toCaller{};
  if (!::GetDiskFreeSpaceExA(directory.c_str(), &toCaller, nullptr, nullptr)) return false;
  *freeBytesToCaller = toCaller.QuadPart;
  return true;
}

bool IsDiskSpaceInsufficient(int32_t size, const std::string& directory) {
  return IsDiskSpaceInsufficient(size, directory, QueryFreeSpace);
}

bool IsDiskSpaceInsufficient(int32_t size, const std::string& directory, const FreeSpaceQuery& query) {
  uint64_t freeBytes = 0;
  if (!query || !query(directory, &freeBytes)) return false;
  WriteSetupLog(L"qwFreeBytesToCaller:");
  WriteSetupLog(std::to_wstring(freeBytes));
  WriteSetupLog(L"fileSize:");
  WriteSetupLog(std::to_wstring(size));
  // Compared as numbers: a negative size never counts as too large.
  return size > 0 && freeBytes < static_cast<uint64_t>(size);
}

}  // namespace app
