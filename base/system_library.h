// Where the process takes its DLLs from. An installer is started from a
// download folder, elevated: any DLL planted there under a name the process
// loads would run as administrator. These keep every load in the system folder.
#pragma once

#include <windows.h>

namespace base {

// From here on, libraries loaded by name (by this program and by the system's
// own DLLs on its behalf) come from the system folder only; the program's
// folder and the current folder are no longer searched. Call it first thing
// at entry, before anything can load a library. False when the system offers
// no way to restrict the search.
bool RestrictDllSearchToSystemFolder();

// Loads `name` (a bare file name such as L"msftedit.dll") from the system
// folder, whatever the process's search order. Null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace base
