#include "support/paths.h"

#include <windows.h>

#include "support/text.h"

namespace test_support {

std::string Environment(const char* name) {
  char buffer[1024] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return length && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

std::wstring WindowsPath(const std::string& unix_path) {
  std::wstring path = L"Z:" + Wide(unix_path);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::string UnixPath(const std::wstring& windows_path) {
  // Wine's own export; it allocates the answer on the process heap.
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  auto to_unix = reinterpret_cast<ToUnix>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
  if (!to_unix) return std::string();
  char* name = to_unix(windows_path.c_str());
  if (!name) return std::string();
  std::string result(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

std::wstring BuildFolder() {
  const std::string from_environment = Environment("ORVANE_BINARY_DIR");
  if (!from_environment.empty()) return WindowsPath(from_environment);
  wchar_t module[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path(module, length);
  for (int up = 0; up < 2; ++up) {
    const size_t cut = path.find_last_of(L"\\/");
    path = cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
  }
  return path;
}

std::string BinaryDir() {
  const std::string from_environment = Environment("ORVANE_BINARY_DIR");
  return from_environment.empty() ? UnixPath(BuildFolder()) : from_environment;
}

std::wstring SourceFolder() {
  const std::string from_environment = Environment("ORVANE_SOURCE_DIR");
  return from_environment.empty() ? std::wstring() : WindowsPath(from_environment);
}

std::wstring ScreenshotFolder() {
  const std::wstring folder = BuildFolder() + L"\\screenshots";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

}  // namespace test_support
