#include "support/scratch_folder.h"

#include <windows.h>

#include "support/files.h"

namespace test_support {

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  wchar_t long_temp[MAX_PATH] = {};
  std::wstring base = temp;
  if (length && ::GetLongPathNameW(temp, long_temp, MAX_PATH)) base = long_temp;
  // Unique across the test programs that run at once and across the tests
  // of one program.
  static LONG counter = 0;
  path_ = base + L"orvane_test_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
          std::to_wstring(::InterlockedIncrement(&counter)) + L"_" + std::to_wstring(::GetTickCount());
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

WorkingFolder::WorkingFolder(const std::wstring& folder) {
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  previous_ = previous;
  entered_ = ::SetCurrentDirectoryW(folder.c_str()) != FALSE;
}

WorkingFolder::~WorkingFolder() { ::SetCurrentDirectoryW(previous_.c_str()); }

}  // namespace test_support
