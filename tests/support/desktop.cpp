#include "support/desktop.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/message_loop.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/scratch_folder.h"
#include "support/text.h"

namespace test_support {

testing::AssertionResult RunOnHost(const std::string& command, DWORD timeout_ms) {
  ScratchFolder scratch;
  const std::string output = UnixPath(scratch / L"output.txt"), status = UnixPath(scratch / L"status");
  // Wine starts host programs but gives no handle to wait on: the shell
  // leaves the exit code in a file, renamed into place once complete.
  std::wstring line = L"Z:\\bin\\sh -c \"( " + Wide(command) + L" ) >'" + Wide(output) + L"' 2>&1; echo $? >'" +
                      Wide(status) + L".tmp'; mv '" + Wide(status) + L".tmp' '" + Wide(status) + L"'\"";
  STARTUPINFOW startup{sizeof(startup)};
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return testing::AssertionFailure() << "the host shell did not start for: " << command;
  }
  if (process.hThread) ::CloseHandle(process.hThread);
  if (process.hProcess) ::CloseHandle(process.hProcess);
  // The windows of this thread stay responsive while the command runs.
  if (!PumpUntil([&] { return Exists(scratch / L"status"); }, timeout_ms)) {
    return testing::AssertionFailure() << "the host command never finished: " << command;
  }
  const std::string code = ReadFileBytes(scratch / L"status");
  if (std::atoi(code.c_str()) == 0) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the host command failed (exit " << code << "): " << command << "\n"
                                     << ReadFileBytes(scratch / L"output.txt");
}

testing::AssertionResult Xdotool(const std::string& arguments) { return RunOnHost("xdotool " + arguments); }

bool PumpUntilInputHandled(POINT at) {
  return PumpUntil(
      [&] {
        POINT now{};
        return ::GetCursorPos(&now) && now.x == at.x && now.y == at.y &&
               !(::GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !::GetQueueStatus(QS_INPUT);
      },
      10000);
}

testing::AssertionResult XClick(POINT at) {
  testing::AssertionResult sent =
      Xdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " click 1");
  if (sent && !PumpUntilInputHandled(at)) return testing::AssertionFailure() << "the click never arrived";
  return sent;
}

testing::AssertionResult SaveScreenshot(const std::string& name) {
  const std::string dir = BinaryDir() + "/screenshots";
  return RunOnHost("mkdir -p " + dir + " && import -display $DISPLAY -window root " + dir + "/" + name);
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

bool PumpUntilPainted(HWND hwnd) {
  return PumpUntil([hwnd] { return !::GetUpdateRect(hwnd, nullptr, FALSE); }, 10000);
}

bool PumpUntilPostedTasksRan() {
  base::MessageLoop* loop = base::MessageLoop::Current();
  auto ran = std::make_shared<bool>(false);
  if (loop) loop->PostTask([ran] { *ran = true; });
  return loop && PumpUntil([&] { return *ran; }, 10000);
}

namespace {

std::atomic<UINT_PTR> fired_timer{0};

void CALLBACK NoteTimer(HWND, UINT, UINT_PTR id, DWORD) { fired_timer = id; }

BOOL CALLBACK ReadStaticText(HWND child, LPARAM text) {
  wchar_t name[32] = {}, buffer[512] = {};
  ::GetClassNameW(child, name, 32);
  ::GetWindowTextW(child, buffer, 512);
  if (std::wstring(name) == L"Static" && buffer[0]) *reinterpret_cast<std::wstring*>(text) = buffer;
  return TRUE;
}

bool DesktopTakesAWindow() {
  HWND probe = ::CreateWindowExW(0, L"STATIC", L"desktop probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
  return probe && ::DestroyWindow(probe);
}

}  // namespace

bool PumpUntilTimerFires(UINT elapse_ms) {
  const UINT_PTR id = ::SetTimer(nullptr, 0, elapse_ms, &NoteTimer);
  const bool fired = id && PumpUntil([id] { return fired_timer == id; }, elapse_ms + 10000);
  ::KillTimer(nullptr, id);
  return fired;
}

bool WaitForDesktop() {
  if (DesktopTakesAWindow()) return true;
  const std::string what = "Wine's desktop refused the first window (error " + std::to_string(::GetLastError()) + ")";
  const bool taken = PumpUntil(DesktopTakesAWindow, 10000);
  std::fprintf(stderr, "PLATFORM RETRY: %s%s\n", what.c_str(), taken ? ", took one later" : " for 10 s");
  if (FILE* log = ::_wfopen((BuildFolder() + L"\\platform-retries.log").c_str(), L"ab")) {
    std::fprintf(log, "%s: %s%s\n", GTEST_FLAG_GET(filter).c_str(), what.c_str(), taken ? "" : " for 10 s");
    std::fclose(log);
  }
  return taken;
}

HWND WaitForSystemDialog(const wchar_t* title, DWORD timeout_ms) {
  HWND dialog = nullptr;
  for (const DWORD start = ::GetTickCount(); !dialog && ::GetTickCount() - start < timeout_ms; ::Sleep(10)) {
    dialog = ::FindWindowW(L"#32770", title);
  }
  return dialog;
}

SystemDialogAnswerer::SystemDialogAnswerer(const wchar_t* title)
    : thread_([this, title] {
        HWND dialog = WaitForSystemDialog(title);
        if (!dialog) return;
        ::EnumChildWindows(dialog, &ReadStaticText, reinterpret_cast<LPARAM>(&text_));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        answered_ = true;
      }) {}

bool SystemDialogAnswerer::Finish() {
  if (thread_.joinable()) thread_.join();
  return answered_;
}

}  // namespace test_support
