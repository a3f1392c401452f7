// The check before an installation: a running client is ended, and programs
// started from the install folder are only closed once the user agrees.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell/prompts/client_prompt.h"

namespace app {

// Called once the check is decided: true = do not go ahead, false = go ahead.
using InstallContinuation = std::function<void(bool cancelled)>;

// Ends every running "Orvane.exe", then looks for processes started from
// inside `folder` (see FindProcessesInFolder). None found: calls
// `continuation(false)` before returning false. Some found: asks through
// `prompt` (owned by `owner`) and returns true; the answer later ends them
// and calls `continuation(false)`, or calls `continuation(true)`. A failed
// process snapshot returns false without calling the continuation.
// UI thread only.
bool isFolderInUse(const std::wstring& folder, HWND owner, InstallContinuation continuation,
                   ClientPrompt& prompt);

// Ends, without asking, every process whose executable file name is
// "Orvane.exe" in any letter case (Windows file names ignore it), wherever it
// was started from, except the calling process.
void EndClientProcesses();

// Appends to `pids`, in snapshot order, every process of `snapshot` whose
// full image path lies inside `folder` at any depth, compared as Windows
// compares paths (IsInsideFolder: letter case ignored, a separator after the
// folder), except the calling process. An empty `folder` matches nothing.
// True when at least one was found.
bool FindProcessesInFolder(HANDLE snapshot, const std::wstring& folder, std::vector<DWORD>& pids);

// True when a process other than the caller and the clients (which
// isFolderInUse has ended) runs from inside `folder`, or when the processes
// cannot be listed: an unattended install asks this before it goes ahead,
// since it ends the client but nothing else.
bool ProgramsBesidesTheClientRunFrom(const std::wstring& folder);

// Terminates the process `pid` with exit code 0.
bool EndProcess(DWORD pid);

}  // namespace app
