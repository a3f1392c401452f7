#include "app/install/common/disk_space.h"

#include <windows.h>

#include "app/install/common/setup_log.h"

namespace app {

bool QueryFreeSpace(const std::wstring& directory, uint64_t* freeBytesToCaller) {
  ULARGE_INTEGER toCaller{};
  if (!::GetDiskFreeSpaceExW(directory.c_str(), &toCaller, nullptr, nullptr)) return false;
  *freeBytesToCaller = toCaller.QuadPart;
  return true;
}

bool IsDiskSpaceInsufficient(uint64_t size, const std::wstring& directory) {
  return IsDiskSpaceInsufficient(size, directory, QueryFreeSpace);
}

bool IsDiskSpaceInsufficient(uint64_t size, const std::wstring& directory, const FreeSpaceQuery& query) {
  uint64_t freeBytes = 0;
  if (!query || !query(directory, &freeBytes)) return false;
  WriteSetupLog(L"qwFreeBytesToCaller:");
  WriteSetupLog(std::to_wstring(freeBytes));
  WriteSetupLog(L"fileSize:");
  WriteSetupLog(std::to_wstring(size));
  return freeBytes < size;
}

}  // namespace app
