// The product's names as the system, the shell and the service know them.
// Each lives here once: the installer writes them and its tests and the
// client look for them, so two spellings would be two different products.
#pragma once

namespace app {

// The display name: the installer window's title and class name, the
// shortcuts' description and the uninstall entry's DisplayName.
inline constexpr wchar_t kProductName[] = L"Orvane";

// The client program inside the install folder.
inline constexpr wchar_t kClientExeName[] = L"Orvane.exe";
// The uninstaller the package brings beside the client.
inline constexpr wchar_t kUninstallerExeName[] = L"Uninstall Orvane.exe";
// The desktop and start-menu shortcuts to the client.
inline constexpr wchar_t kShortcutFileName[] = L"Orvane.lnk";

// The install folder's own name: under Program Files by default, and under
// a drive root the user picks.
inline constexpr wchar_t kInstallFolderName[] = L"orvanecloud";
// The package's file name on the storage host.
inline constexpr wchar_t kPackageFileName[] = L"orvanecloud.zip";

// Where the chosen install folder is kept for the next run (HKCU).
inline constexpr wchar_t kInstallLocationKey[] = L"Software\\OrvaneCloud";
inline constexpr wchar_t kInstallLocationValue[] = L"InstallLocation";
// The uninstall entry (HKLM, the 32-bit view).
inline constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
inline constexpr wchar_t kPublisher[] = L"Tessaline Technology Co., Ltd.";

// The installer's log, in its working folder.
inline constexpr wchar_t kSetupLogFileName[] = L"setup.log";
// The mutex that keeps a second installer from running beside the first.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"setup";

}  // namespace app
