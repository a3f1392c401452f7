#include "install/support/install_test_support.h"

namespace install_test {

std::wstring ClientExe() { return test_support::BuildFolder() + L"\\testclient\\Orvane.exe"; }

RunningProgram::RunningProgram(const std::wstring& exe, int seconds) : RunningProgram(exe, std::to_wstring(seconds)) {}

RunningProgram::RunningProgram(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
}

RunningProgram::~RunningProgram() {
  if (!process_) return;
  if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, 5000);
  }
  ::CloseHandle(process_);
}

bool RunningProgram::Ended(DWORD milliseconds) const {
  return process_ && ::WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

DWORD RunningProgram::exit_code() const {
  DWORD code = STILL_ACTIVE;
  if (process_) ::GetExitCodeProcess(process_, &code);
  return code;
}

namespace {

void AddTree(const std::wstring& folder, const std::wstring& prefix, std::map<std::wstring, std::string>& tree) {
  for (const std::wstring& name : FolderNames(folder)) {
    std::wstring path = folder + L"\\" + name;
    if (IsFolder(path)) {
      tree[prefix + name] = "<folder>";
      AddTree(path, prefix + name + L"\\", tree);
    } else {
      tree[prefix + name] = ReadFileBytes(path);
    }
  }
}

}  // namespace

std::map<std::wstring, std::string> TreeOf(const std::wstring& folder) {
  std::map<std::wstring, std::string> tree;
  AddTree(folder, L"", tree);
  return tree;
}

void CopyClientTo(const std::wstring& path) {
  test_support::CreateFolders(path.substr(0, path.find_last_of(L'\\')));
  ASSERT_TRUE(::CopyFileW(ClientExe().c_str(), path.c_str(), FALSE)) << "cannot copy the client to " << ToAnsi(path);
}

}  // namespace install_test
