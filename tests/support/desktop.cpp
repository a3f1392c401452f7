#include "support/desktop.h"

#include "support/paths.h"
#include "support/text.h"

namespace test_support {

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

bool XClick(POINT at) {
  return Xdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) +
                 " sleep 0.1 click 1");
}

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
