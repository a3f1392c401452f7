#include "install_test_support.h"

namespace install_test {

std::wstring ClientExe() { return test_support::BuildFolder() + L"\\testclient\\Orvane.exe"; }

RunningProgram::RunningProgram(const std::wstring& exe, int seconds) {
  std::wstring line = L"\"" + exe + L"\" " + std::to_wstring(seconds);
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

void CopyClientTo(const std::wstring& path) {
  test_support::CreateFolders(path.substr(0, path.find_last_of(L'\\')));
  ASSERT_TRUE(::CopyFileW(ClientExe().c_str(), path.c_str(), FALSE)) << "cannot copy the client to " << ToAnsi(path);
}

}  // namespace install_test
