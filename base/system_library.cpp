#include "base/system_library.h"

#include <string>

namespace base {
namespace {

// The search flags came with Windows 8 and an update to Windows 7; a system
// without them rejects the flags as an invalid parameter.
bool SearchFlagsUnsupported() { return ::GetLastError() == ERROR_INVALID_PARAMETER; }

}  // namespace

bool RestrictDllSearchToSystemFolder() {
  // Looked up rather than imported, so that a system without it still starts.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto set_default = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                  ::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                            : nullptr;
  if (set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  // At least the current folder goes out of the search.
  ::SetDllDirectoryW(L"");
  return false;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || !SearchFlagsUnsupported()) return module;
  // Without the flags, the full path names the system's own file.
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace base
