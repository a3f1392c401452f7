// What the installer records about an installation outside the install
// folder: the install location in the user's registry, the uninstall entry
// of the machine, and the desktop and start-menu shortcuts.
//
// The shortcut steps write their outcome to the setup log, the registry
// steps theirs only to the debugger output; each returns whether it succeeded.
#pragma once

#include <string>

namespace app {

// Fills `folder` (empty on entry) with the stored install location, or else
// with the 32-bit Program Files folder + "\orvanecloud"; leaves it empty when
// neither can be found. An expandable value is taken as stored.
void ReadInstallLocation(std::wstring& folder);

// After a successful extraction: both shortcuts to folder\Orvane.exe, the
// install location and the uninstall entry. The calling thread must have
// initialised COM (apartment model) for the shortcuts. Every step is tried;
// false when any of them failed.
bool RegisterInstallation(std::wstring folder);

// Saves a shell link at `link_path` to `target`, described as "Orvane",
// replacing any link there. Needs COM on the calling thread.
bool CreateShortcut(const std::wstring& target, const std::wstring& link_path);

// HKCU "Software\OrvaneCloud" "InstallLocation" := folder (REG_SZ).
bool WriteInstallLocation(const std::wstring& folder);

// The uninstall entry "Orvane" under HKLM in the program's own (32-bit)
// registry view. Needs administrator rights.
bool WriteUninstallEntry(const std::wstring& folder);

// The file version of `path` from its fixed version information, as
// "major.minor.build.revision". `version` is set only when this returns true.
bool GetFileVersionString(const std::wstring& path, std::wstring& version);

}  // namespace app
