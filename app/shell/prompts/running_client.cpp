#include "app/shell/prompts/running_client.h"

#include <tlhelp32.h>

#include <utility>

#include "base/files/path_compare.h"
#include "app/install/common/product.h"
#include "app/install/common/setup_log.h"
#include "base/unique_any.h"

namespace app {
namespace {

// The record size the snapshot functions expect (a 64-bit build's pointer-
// sized fields make it larger).
static_assert(sizeof(PROCESSENTRY32W) == (sizeof(void*) == 4 ? 556 : 568));

base::unique_hfile TakeProcessSnapshot() {
  return base::unique_hfile(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
}

PROCESSENTRY32W EmptyEntry() {
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(PROCESSENTRY32W);
  return entry;
}

bool StartedFromFolder(DWORD pid, const std::wstring& folder) {
  base::unique_handle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
  if (!process) return false;
  wchar_t image[MAX_PATH] = {};
  DWORD length = MAX_PATH;
  if (!::QueryFullProcessImageNameW(process.get(), 0, image, &length)) return false;
  return base::IsInsideFolder(std::wstring_view(image, length), folder);
}

// The answer to the prompt: the identifiers found and the window's
// continuation travel with it until the user decides.
void OnPromptAnswer(const std::vector<DWORD>& pids, const InstallContinuation& continuation,
                    ClientPromptAnswer answer) {
  if (answer == ClientPromptAnswer::Yes) {
    for (DWORD pid : pids) {
      WriteSetupLog(std::to_wstring(pid));
      EndProcess(pid);
    }
    // A process that would not end is logged by EndProcess; the install goes
    // ahead anyway and the extraction reports files still in use.
    continuation(false);
  } else {
    WriteSetupLog(L"MB_NO");
    continuation(true);
  }
}

}  // namespace

bool isFolderInUse(const std::wstring& folder, HWND owner, InstallContinuation continuation,
                   ClientPrompt& prompt) {
  base::unique_hfile snapshot = TakeProcessSnapshot();
  if (!snapshot) {
    WriteSetupLogLastError(L"Failed to create process snapshot. Error code:");
    return false;
  }

  // The snapshot above was taken before the clients are ended, so a client
  // started from the install folder is among the processes found below.
  EndClientProcesses();

  std::vector<DWORD> pids;
  bool in_use = FindProcessesInFolder(snapshot.get(), folder, pids);
  if (in_use) {
    WriteSetupLog(L"processIDString:");
    prompt.AskToCloseProcesses(
        owner,
        kProductName + std::wstring(L"\x6B63\x5728\x8FD0\x884C\xFF0C\x662F\x5426\x5173\x95ED") +
            kProductName + L"\x5E76\x7EE7\x7EED\x5B89\x88C5\xFF1F",
        L"\x63D0\x793A", L"\x786E\x5B9A", L"\x53D6\x6D88",
        [pids = std::move(pids), continuation = std::move(continuation)](ClientPromptAnswer answer) {
          // Runs from the message box's task: nothing may escape into it.
          try {
            OnPromptAnswer(pids, continuation, answer);
          } catch (...) {
            WriteSetupLog(L"Closing the running programs failed");
          }
        });
    WriteSetupLog(L"IsProcessUsingFilePath");
  } else {
    continuation(false);
    WriteSetupLog(L"no IsProcessUsingFilePath");
  }
  snapshot.reset();
  WriteSetupLog(L"isFolderInUse");
  return in_use;
}

void EndClientProcesses() {
  base::unique_hfile snapshot = TakeProcessSnapshot();
  if (!snapshot) return;
  PROCESSENTRY32W entry = EmptyEntry();
  if (!::Process32FirstW(snapshot.get(), &entry)) return;
  // A copy of the installer saved under the client's name is still the
  // installer: ending it would end the install it is running.
  const DWORD self = ::GetCurrentProcessId();
  do {
    if (entry.th32ProcessID == self || !base::SameIgnoringCase(entry.szExeFile, kClientExeName)) continue;
    base::unique_handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
    if (process) ::TerminateProcess(process.get(), 0);
  } while (::Process32NextW(snapshot.get(), &entry));
}

bool FindProcessesInFolder(HANDLE snapshot, const std::wstring& folder, std::vector<DWORD>& pids) {
  // An empty folder names no folder at all.
  if (folder.empty()) return false;
  PROCESSENTRY32W entry = EmptyEntry();
  if (!::Process32FirstW(snapshot, &entry)) return false;
  // The installer may well run from the folder it installs into; answering
  // the prompt must never end the installer itself.
  const DWORD self = ::GetCurrentProcessId();
  bool found = false;
  do {
    if (entry.th32ProcessID == self || !StartedFromFolder(entry.th32ProcessID, folder)) continue;
    WriteSetupLog(L"pe32.th32ProcessID: ");
    WriteSetupLog(std::to_wstring(entry.th32ProcessID));
    pids.push_back(entry.th32ProcessID);
    found = true;
  } while (::Process32NextW(snapshot, &entry));
  return found;
}

bool ProgramsBesidesTheClientRunFrom(const std::wstring& folder) {
  if (folder.empty()) return false;
  base::unique_hfile snapshot = TakeProcessSnapshot();
  // Programs that cannot be listed may be running.
  if (!snapshot) return true;
  PROCESSENTRY32W entry = EmptyEntry();
  if (!::Process32FirstW(snapshot.get(), &entry)) return true;
  const DWORD self = ::GetCurrentProcessId();
  do {
    if (entry.th32ProcessID == self || base::SameIgnoringCase(entry.szExeFile, kClientExeName)) continue;
    if (StartedFromFolder(entry.th32ProcessID, folder)) return true;
  } while (::Process32NextW(snapshot.get(), &entry));
  return false;
}

bool EndProcess(DWORD pid) {
  base::unique_handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  if (!process) return false;
  if (::TerminateProcess(process.get(), 0)) return true;
  WriteSetupLogLastError(L"Failed to terminate process. Error code:");
  return false;
}

}  // namespace app
