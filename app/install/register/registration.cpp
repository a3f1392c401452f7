#include "app/install/register/registration.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <vector>

#include "app/install/common/product.h"
#include "app/install/common/setup_log.h"
#include "base/com_ptr.h"
#include "base/unique_any.h"

namespace app {
namespace {

// Narrow debugger texts; the Chinese ones are code page 936 bytes.
void DebugText(const char* text) { ::OutputDebugStringA(text); }
void DebugText(const std::wstring& text) { ::OutputDebugStringW(text.c_str()); }

// Whether the data written for a string value carries its terminating NUL.
enum class WithTerminator { No, Yes };

LSTATUS SetStringValue(HKEY key, const wchar_t* name, const std::wstring& data, WithTerminator terminator) {
  // The system counts a NUL that directly follows the data as part of a
  // string value even when the size leaves it out; a non-NUL character after
  // the data keeps the value exactly as long as asked.
  std::vector<wchar_t> buffer(data.begin(), data.end());
  buffer.push_back(terminator == WithTerminator::Yes ? L'\0' : L'.');
  size_t characters = data.size() + (terminator == WithTerminator::Yes ? 1 : 0);
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(buffer.data()),
                          static_cast<DWORD>(characters * sizeof(wchar_t)));
}

// The stored install location, or empty; every failure is only told to the
// debugger.
std::wstring ReadStoredInstallLocation() {
  base::unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInstallLocationKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    key.release();
    DebugText("Failed to open registry key.");
    return {};
  }
  DWORD type = 0;
  if (::RegQueryValueExW(key.get(), kInstallLocationValue, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
    DebugText("Failed to query registry value.");
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    DebugText("Invalid registry value type.");
    return {};
  }
  DWORD size = 0;
  if (::RegQueryValueExW(key.get(), kInstallLocationValue, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    DebugText("Failed to query registry value size.");
    return {};
  }
  // Room for an odd byte count and one NUL more, so a value stored without
  // its terminator still ends inside the buffer.
  std::vector<wchar_t> buffer((size + 1) / sizeof(wchar_t) + 1, L'\0');
  if (::RegQueryValueExW(key.get(), kInstallLocationValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
    DebugText("Failed to read registry value.");
    return {};
  }
  buffer.back() = L'\0';
  std::wstring value(buffer.data());
  DebugText("\n\xa1\xbeInstallLocation");  // 【
  DebugText(value);
  DebugText("\xa1\xbf\n");  // 】
  return value;
}

// The all-users folder `csidl` joined with the shortcut's file name; empty
// when the joined path does not fit.
std::wstring ShortcutPath(int csidl) {
  wchar_t path[MAX_PATH] = {};
  // On failure the buffer stays empty and the link lands in the working
  // directory, as the folder cannot be found any other way.
  ::SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
  if (!::PathAppendW(path, kShortcutFileName)) return {};
  return path;
}

bool AddShortcut(int csidl, const std::wstring& target, const wchar_t* success, const wchar_t* failure) {
  std::wstring link = ShortcutPath(csidl);
  bool created = !link.empty() && CreateShortcut(target, link);
  WriteSetupLog(created ? success : failure);
  return created;
}

}  // namespace

void ReadInstallLocation(std::wstring& folder) {
  folder = ReadStoredInstallLocation();
  if (!folder.empty()) return;

  DebugText("\n\xa1\xbeInstallLocation value.empty() ");
  base::unique_cotaskmem_ptr<wchar_t> program_files;
  // The 32-bit Program Files folder, named so that a build for another
  // bitness proposes the same folder as the 32-bit product.
  HRESULT result = ::SHGetKnownFolderPath(FOLDERID_ProgramFilesX86, 0, nullptr, program_files.put());
  if (SUCCEEDED(result)) {
    DebugText("\n\xa1\xbeInstallLocation SUCCEEDED(result):");
    folder = std::wstring(program_files.get()) + L"\\" + kInstallFolderName;
    DebugText(folder);
  }
}

bool RegisterInstallation(std::wstring folder) {
  std::wstring target = folder + L"\\" + kClientExeName;
  // Every step is tried, whatever failed before it.
  bool desktop = AddShortcut(CSIDL_COMMON_DESKTOPDIRECTORY, target, L"success\xFF1A" L"Add shortcut to desktop",
                             L"fail\xFF1A" L"Add shortcut to desktop");
  bool start_menu = AddShortcut(CSIDL_COMMON_PROGRAMS, target, L"success\xFF1A" L"Add shortcut to start menu",
                                L"fail\xFF1A" L"Add shortcut to start menu");
  bool location = WriteInstallLocation(folder);
  bool entry = WriteUninstallEntry(folder);
  return desktop && start_menu && location && entry;
}

bool CreateShortcut(const std::wstring& target, const std::wstring& link_path) {
  DebugText("\n===================\xc9\xfa\xb3\xc9\xbf\xec\xbd\xdd\xb7\xbd\xca\xbd====================\n");
  DebugText("\n file:");
  DebugText(target);
  DebugText("\n path:");
  DebugText(link_path);
  DebugText("\n ===============\n");

  base::com_ptr<IShellLinkW> link;
  HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void());
  if (FAILED(hr)) {
    char text[80];
    std::snprintf(text, sizeof text, "Failed to create Shell Link instance. Error code: %ld",
                  static_cast<long>(hr));
    DebugText(text);
    return false;
  }
  if (FAILED(link->SetPath(target.c_str()))) return false;
  if (FAILED(link->SetDescription(kProductName))) return false;
  // An empty string clears the working directory; some shell implementations
  // crash on a null one.
  if (FAILED(link->SetWorkingDirectory(L""))) return false;
  base::com_ptr<IPersistFile> file;
  if (FAILED(link.QueryTo(file))) return false;
  return SUCCEEDED(file->Save(link_path.c_str(), TRUE));
}

bool WriteInstallLocation(const std::wstring& folder) {
  base::unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kInstallLocationKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    key.release();
    DebugText("Failed to create or open registry key.");
    DebugText("newValue");
    DebugText(folder);
    return false;
  }
  if (SetStringValue(key.get(), kInstallLocationValue, folder, WithTerminator::Yes) == ERROR_SUCCESS) {
    DebugText("InstallLocation value has been modified.");
    return true;
  }
  DebugText("Failed to set registry value.");
  return false;
}

bool WriteUninstallEntry(const std::wstring& folder) {
  base::unique_hkey key;
  // The 32-bit registry view, where the 32-bit product's entry lives on
  // 64-bit Windows, whatever this build's bitness.
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE | KEY_WOW64_32KEY, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    key.release();
    DebugText("Failed to create uninstall registry key\n\xa3\xac");  // ，
    return false;
  }
  std::wstring client = folder + L"\\" + kClientExeName;
  std::wstring uninstaller = folder + L"\\" + kUninstallerExeName;
  std::wstring version;
  if (!GetFileVersionString(client, version)) version.clear();

  // The data without a NUL is what the system's list of programs has always
  // been given for these three; readers must not rely on a terminator.
  bool written = SetStringValue(key.get(), L"DisplayIcon", client, WithTerminator::No) == ERROR_SUCCESS;
  written &= SetStringValue(key.get(), L"DisplayName", kProductName, WithTerminator::Yes) == ERROR_SUCCESS;
  written &= SetStringValue(key.get(), L"Publisher", kPublisher, WithTerminator::Yes) == ERROR_SUCCESS;
  written &= SetStringValue(key.get(), L"DisplayVersion", version, WithTerminator::No) == ERROR_SUCCESS;
  written &= SetStringValue(key.get(), L"UninstallString", uninstaller, WithTerminator::No) == ERROR_SUCCESS;
  return written;
}

bool GetFileVersionString(const std::wstring& path, std::wstring& version) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
  void* block = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.data(), L"\\", &block, &length) || block == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
  version = std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
            L"." + std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
            std::to_wstring(LOWORD(info->dwFileVersionLS));
  return true;
}

}  // namespace app
