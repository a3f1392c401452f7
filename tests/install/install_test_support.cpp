#include "install_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "base/unique_any.h"

namespace install_test {
namespace {
void CloseFind(HANDLE find) { ::FindClose(find); }
using unique_hfind = base::unique_any<HANDLE, CloseFind, base::invalid_handle_is_invalid>;
}  // namespace

std::wstring Widen(const std::string& ansi) {
  if (ansi.empty()) return {};
  int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                     nullptr, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), length, nullptr,
                        nullptr);
  return ansi;
}

std::string UnixPath(const std::wstring& windows_path) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  auto to_unix = reinterpret_cast<ToUnix>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
  if (!to_unix) return {};
  char* name = to_unix(windows_path.c_str());
  if (!name) return {};
  std::string result(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

std::wstring WindowsPath(const std::string& unix_path) {
  using ToDos = wchar_t*(__cdecl*)(const char*);
  auto to_dos = reinterpret_cast<ToDos>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name"));
  if (!to_dos) return {};
  wchar_t* name = to_dos(unix_path.c_str());
  if (!name) return {};
  std::wstring result(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  if (result.rfind(L"\\\\?\\", 0) == 0) result.erase(0, 4);
  return result;
}

namespace {
std::wstring FolderFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value ? WindowsPath(value) : std::wstring();
}
}  // namespace

std::wstring SourceDir() { return FolderFromEnvironment("ORVANE_SOURCE_DIR"); }
std::wstring BinaryDir() {
  std::wstring dir = FolderFromEnvironment("ORVANE_BINARY_DIR");
  if (!dir.empty()) return dir;
  // Not every runner passes it on: the test executable lies in <build>\tests.
  wchar_t exe[MAX_PATH];
  DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  dir.assign(exe, length);
  for (int level = 0; level < 2; ++level) dir.erase(dir.find_last_of(L'\\'));
  return dir;
}
std::wstring ClientExe() { return BinaryDir() + L"\\testclient\\Orvane.exe"; }

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH];
  DWORD length = ::GetTempPathW(MAX_PATH, temp);
  wchar_t long_temp[MAX_PATH];
  if (length && ::GetLongPathNameW(temp, long_temp, MAX_PATH)) std::wcscpy(temp, long_temp);
  static LONG counter = 0;
  path_ = std::wstring(temp) + L"orvane_install_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
          std::to_wstring(::InterlockedIncrement(&counter)) + L"_" + std::to_wstring(::GetTickCount());
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    for (const std::wstring& name : FolderNames(path)) RemoveTree(path + L"\\" + name);
    ::RemoveDirectoryW(path.c_str());
  } else {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
  }
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  unique_hfind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}

testing::AssertionResult RunOnHost(const std::string& command) {
  TempFolder scratch;
  std::string output = UnixPath(scratch / L"output.txt");
  std::string marker = UnixPath(scratch / L"status");
  std::string script = "( " + command + " ) >'" + output + "' 2>&1; echo $? >'" + marker + ".tmp'; mv '" +
                       marker + ".tmp' '" + marker + "'";
  std::wstring line = L"/bin/sh -c \"" + Widen(script) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return testing::AssertionFailure() << "the host shell did not start for: " << command;
  }
  // A host program comes without handles; close them should there be any.
  base::unique_handle process(info.hProcess), thread(info.hThread);
  std::wstring status_path = scratch / L"status";
  for (int waited = 0; !Exists(status_path); waited += 50) {
    if (waited > 180000) return testing::AssertionFailure() << "the host command never finished: " << command;
    ::Sleep(50);
  }
  std::string status = ReadFileBytes(status_path);
  if (std::atoi(status.c_str()) != 0) {
    return testing::AssertionFailure() << "the host command failed (exit " << status << "): " << command << "\n"
                                       << ReadFileBytes(scratch / L"output.txt");
  }
  return testing::AssertionSuccess();
}

std::vector<std::wstring> SetupLogMessages() {
  std::string bytes = ReadFileBytes(L"setup.log");
  std::vector<std::wstring> messages;
  // A record: CR LF "[" stamp "] " message CR CR LF; the stamp has 19 characters.
  const size_t kHead = 3 + 19 + 2;
  size_t position = 0;
  while (position + kHead <= bytes.size() && bytes.compare(position, 3, "\r\n[") == 0) {
    size_t start = position + kHead;
    size_t end = bytes.find("\r\r\n", start);
    if (end == std::string::npos) break;
    std::string message = bytes.substr(start, end - start);
    std::string restored;
    for (size_t i = 0; i < message.size(); ++i) {
      if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
      restored += message[i];
    }
    int length = ::MultiByteToWideChar(936, 0, restored.data(), static_cast<int>(restored.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(936, 0, restored.data(), static_cast<int>(restored.size()), wide.data(), length);
    messages.push_back(wide);
    position = end + 3;
  }
  return messages;
}

void WorkingFolderTest::SetUp() {
  wchar_t previous[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  previous_ = previous;
  ASSERT_TRUE(::SetCurrentDirectoryW(temp_.path().c_str()));
}

void WorkingFolderTest::TearDown() { ::SetCurrentDirectoryW(previous_.c_str()); }

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
  // Creates each missing folder on the way.
  for (size_t separator = path.find(L'\\', 3); separator != std::wstring::npos;
       separator = path.find(L'\\', separator + 1)) {
    ::CreateDirectoryW(path.substr(0, separator).c_str(), nullptr);
  }
  ASSERT_TRUE(::CopyFileW(ClientExe().c_str(), path.c_str(), FALSE)) << "cannot copy the client to " << Narrow(path);
}

}  // namespace install_test
