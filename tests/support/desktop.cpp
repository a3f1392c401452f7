#include "support/desktop.h"

#include <gtest/gtest.h>

namespace test_support {

std::string Environment(const char* name) {
  char buffer[1024] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return length && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
  std::wstring out(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                        length);
  return out;
}

std::wstring WindowsPath(const std::string& unix_path) {
  std::wstring path = L"Z:" + Wide(unix_path);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::string BinaryDir() {
  std::string dir = Environment("ORVANE_BINARY_DIR");
  return dir.empty() ? std::string("/tmp") : dir;
}

void WriteFileAt(const std::wstring& path, const std::string& bytes) {
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] == L'\\') ::CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot write a test file";
  DWORD written = 0;
  const BOOL wrote =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  ASSERT_TRUE(wrote && written == bytes.size()) << "a test file was written short";
}

bool RunLinux(const std::string& command) {
  static int counter = 0;
  const std::string marker = "/tmp/orvane-desktop-test-" +
                             std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(++counter) + ".done";
  const std::wstring windows_marker = WindowsPath(marker);
  ::DeleteFileW(windows_marker.c_str());
  // Wine starts Linux programs but cannot wait for them: the script leaves a
  // marker file when it is done.
  std::wstring line = L"Z:\\bin\\sh -c \"" + Wide(command) + L"; touch " + Wide(marker) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return false;
  }
  if (process.hThread) ::CloseHandle(process.hThread);
  if (process.hProcess) ::CloseHandle(process.hProcess);
  // The windows of this thread stay responsive while the input arrives.
  const bool done = PumpUntil(
      [&] { return ::GetFileAttributesW(windows_marker.c_str()) != INVALID_FILE_ATTRIBUTES; },
      10000);
  ::DeleteFileW(windows_marker.c_str());
  return done;
}

bool Xdotool(const std::string& arguments) { return RunLinux("xdotool " + arguments); }

bool SaveScreenshot(const std::string& name) {
  const std::string dir = BinaryDir() + "/screenshots";
  return RunLinux("mkdir -p " + dir + " && import -display $DISPLAY -window root " + dir + "/" +
                  name);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= timeout_ms) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  PumpUntil([&] { return ::GetTickCount() - start >= ms; }, ms + 1000);
}

}  // namespace test_support
