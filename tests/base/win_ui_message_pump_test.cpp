#include "base/win_ui_message_pump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/message_loop_proxy.h"
#include "base/now_ticks.h"
#include "base/ui_message_loop.h"
#include "loop_test_support.h"
#include "support/desktop.h"

namespace {

// Headless Wine loads no window driver unless "null" is on its driver list,
// and a system message box needs one (message-only windows do not). Put
// "x11,null" on the list while the driver loads only, so the prefix is left
// as it was. The driver is chosen at the first window of the process, so
// this runs before every test.
class WindowDriverEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    base::unique_hkey owner(key);
    const bool add = ::RegQueryValueExW(key, L"Graphics", nullptr, nullptr, nullptr, nullptr) ==
                     ERROR_FILE_NOT_FOUND;
    static const wchar_t kDrivers[] = L"x11,null";
    if (add) {
      ::RegSetValueExW(key, L"Graphics", 0, REG_SZ, reinterpret_cast<const BYTE*>(kDrivers),
                       sizeof(kDrivers));
    }
    base::unique_hwnd probe(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                              nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (add) ::RegDeleteValueW(key, L"Graphics");
  }
};
testing::Environment* const g_window_driver =
    testing::AddGlobalTestEnvironment(new WindowDriverEnvironment);

constexpr UINT kCountMessage = WM_APP + 10;
constexpr UINT kOpenBoxMessage = WM_APP + 11;

// A message-only window of the test's own, owned by the UI thread; it logs
// what it receives, and on kOpenBoxMessage opens a system message box from
// inside a window message (not a task), the way a drag or a resize enters a
// native modal loop.
struct TestWindow {
  static std::vector<std::string>* log;
  static std::atomic<int> count;
  static const wchar_t* box_title;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kCountMessage) {
      ++count;
      if (log) log->push_back("M");
      return 0;
    }
    if (message == kOpenBoxMessage) {
      ::MessageBoxW(nullptr, L"modal loop opened by a window message", box_title, MB_OK);
      if (log) log->push_back("box-closed");
      return 0;
    }
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }

  TestWindow() {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &Proc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"OrvaneBaseTestWindow";
    ::RegisterClassExW(&window_class);
    hwnd.reset(::CreateWindowExW(0, L"OrvaneBaseTestWindow", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr));
    count = 0;
  }
  base::unique_hwnd hwnd;
};
std::vector<std::string>* TestWindow::log = nullptr;
std::atomic<int> TestWindow::count{0};
const wchar_t* TestWindow::box_title = L"";

bool WaitUntil(const std::atomic<bool>& flag, DWORD timeout_ms = 10000) {
  for (DWORD waited = 0; waited < timeout_ms && !flag; waited += 2) ::Sleep(2);
  return flag;
}

// How many have-work messages wait in this thread's queue: takes them out
// and puts the same number back.
int CountHaveWorkMessages(base::WinUIMessagePump* pump) {
  HWND window = pump->message_window();
  MSG message;
  int count = 0;
  while (::PeekMessageW(&message, window, base::WinUIMessagePump::kHaveWorkMessage,
                        base::WinUIMessagePump::kHaveWorkMessage, PM_REMOVE)) {
    ++count;
  }
  for (int i = 0; i < count; ++i) {
    ::PostMessageW(window, base::WinUIMessagePump::kHaveWorkMessage,
                   reinterpret_cast<WPARAM>(pump), 0);
  }
  return count;
}

TEST(WinUIMessagePumpTest, DelayUntilDueRoundsUpAndNeverGoesNegative) {
  test::FakeClock clock(200000);
  base::WinUIMessagePump pump;
  EXPECT_EQ(pump.DelayUntilDue(), -1) << "no delayed work must mean 'wait without limit'";
  pump.ScheduleDelayedWork(base::NowTicks() + 5500);
  EXPECT_EQ(pump.DelayUntilDue(), 6);
  pump.ScheduleDelayedWork(base::NowTicks() + 1);
  EXPECT_EQ(pump.DelayUntilDue(), 1);
  pump.ScheduleDelayedWork(base::NowTicks() - 3000);
  EXPECT_EQ(pump.DelayUntilDue(), 0);
}

TEST(WinUIMessagePumpTest, TheDelayedWorkTimerIsNeverArmedBelowTenMilliseconds) {
  test::Reaper reaper("the delayed-work timer never fired");
  base::WinUIMessagePump pump;
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  // Due in 1 ms, and already overdue: both arm the timer at the floor.
  for (int64_t ahead : {int64_t{1000}, int64_t{-5000}}) {
    LARGE_INTEGER start, fired;
    ::QueryPerformanceCounter(&start);
    pump.ScheduleDelayedWork(base::NowTicks() + ahead);
    MSG message;
    while (!::PeekMessageW(&message, pump.message_window(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_TIMER);
    }
    ::QueryPerformanceCounter(&fired);
    const double elapsed_ms =
        1000.0 * static_cast<double>(fired.QuadPart - start.QuadPart) / frequency.QuadPart;
    // One millisecond of slack for the clocks' own rounding.
    EXPECT_GE(elapsed_ms, 9.0) << "the timer fired " << elapsed_ms << " ms after being armed";
    EXPECT_EQ(message.wParam, reinterpret_cast<WPARAM>(&pump)) << "the timer is not the pump's";
  }
}

TEST(WinUIMessagePumpTest, ABurstQueuesOneHaveWorkMessageAndTasksAlternateWithMessages) {
  test::Reaper reaper("the UI loop never finished the burst");
  base::UIMessageLoop loop;
  TestWindow window;
  std::vector<std::string> log;
  TestWindow::log = &log;
  std::shared_ptr<base::MessageLoopProxy> proxy = loop.proxy();
  constexpr int kBurst = 50;
  int have_work_during_burst = -1;
  loop.PostTask([&] {
    // While this task holds the thread, another thread posts a burst of tasks
    // and window messages, the way a worker's progress reports arrive while
    // the user drags the window.
    std::thread poster([&] {
      for (int i = 0; i < kBurst; ++i) {
        proxy->PostTask([&log] { log.push_back("T"); });
        ::PostMessageW(window.hwnd.get(), kCountMessage, 0, 0);
      }
    });
    poster.join();
    have_work_during_burst = CountHaveWorkMessages(loop.ui_pump());
  });
  loop.PostDelayedTask([&] { loop.QuitWhenIdle(); }, 1000);
  loop.Run();
  TestWindow::log = nullptr;

  EXPECT_EQ(have_work_during_burst, 1) << "the burst queued more than one have-work message";
  ASSERT_EQ(log.size(), static_cast<size_t>(2 * kBurst));
  std::string pattern;
  for (const std::string& entry : log) pattern += entry;
  std::string alternating;
  for (int i = 0; i < kBurst; ++i) alternating += "MT";
  EXPECT_EQ(pattern, alternating) << "tasks and window messages did not take turns";
}

TEST(WinUIMessagePumpTest, QuitMessageEndsTheLoopAtOnceAndIsPostedAgain) {
  test::Reaper reaper("WM_QUIT did not end the UI loop");
  std::vector<std::string> log;
  {
    base::UIMessageLoop loop;
    loop.PostTask([&] {
      log.push_back("quit");
      ::PostQuitMessage(7);
      loop.PostTask([&log] { log.push_back("after-quit"); });
    });
    loop.Run();
    EXPECT_EQ(log, (std::vector<std::string>{"quit"})) << "tasks ran after WM_QUIT";
  }
  // The next loop out sees the same quit.
  MSG message;
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "the quit message was swallowed";
  EXPECT_EQ(message.wParam, 7u);
}

TEST(WinUIMessagePumpTest, AMessageBoxInATaskKeepsMessagesFlowingAndNoOtherTaskRuns) {
  test::Reaper reaper("the message box opened by a task never closed");
  base::UIMessageLoop loop;
  TestWindow window;
  std::shared_ptr<base::MessageLoopProxy> proxy = loop.proxy();
  std::vector<std::string> log;  // touched on the UI thread only
  std::atomic<bool> other_task_ran{false};
  std::atomic<int> messages_while_open{-1};
  std::atomic<bool> ran_while_open{true};
  std::atomic<bool> box_found{false};
  std::thread closer;
  loop.PostTask([&] {
    log.push_back("box-task");
    // Another thread plays the user: it finds the box, posts a task, a
    // delayed task and window messages while it is open, then presses OK.
    closer = std::thread([&] {
      HWND box = test_support::WaitForSystemDialog(L"OrvaneBaseTaskBox");
      box_found = box != nullptr;
      if (!box) return;
      proxy->PostTask([&] {
        other_task_ran = true;
        log.push_back("next-task");
      });
      proxy->PostDelayedTask([&] {
        other_task_ran = true;
        log.push_back("delayed-task");
        loop.QuitWhenIdle();
      }, 1000);
      for (int i = 0; i < 5; ++i) ::PostMessageW(window.hwnd.get(), kCountMessage, 0, 0);
      // The box's loop takes posted messages in order: once the last window
      // message is in, so is the have-work message posted before them.
      for (int waited = 0; waited < 5000 && TestWindow::count < 5; waited += 2) ::Sleep(2);
      messages_while_open = TestWindow::count.load();
      ran_while_open = other_task_ran.load();
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    ::MessageBoxW(nullptr, L"task waiting for the user", L"OrvaneBaseTaskBox", MB_OK);
    log.push_back("box-closed");
  });
  loop.Run();
  closer.join();
  ASSERT_TRUE(box_found) << "the system message box never appeared";
  EXPECT_EQ(messages_while_open, 5) << "window messages stopped while the box was open";
  EXPECT_FALSE(ran_while_open) << "a task ran inside the task that showed the box";
  EXPECT_EQ(log, (std::vector<std::string>{"box-task", "box-closed", "next-task", "delayed-task"}));
}

TEST(WinUIMessagePumpTest, TasksAndTimersKeepRunningInAModalLoopOutsideAnyTask) {
  test::Reaper reaper("the message box opened by a window message never closed");
  base::UIMessageLoop loop;
  TestWindow window;
  TestWindow::box_title = L"OrvaneBaseWindowBox";
  std::shared_ptr<base::MessageLoopProxy> proxy = loop.proxy();
  std::vector<std::string> log;
  TestWindow::log = &log;
  std::atomic<bool> task_ran{false}, delayed_ran{false}, box_found{false};
  std::atomic<bool> both_ran_while_open{false};
  std::thread closer([&] {
    HWND box = test_support::WaitForSystemDialog(L"OrvaneBaseWindowBox");
    box_found = box != nullptr;
    if (!box) return;
    proxy->PostTask([&] {
      task_ran = true;
      log.push_back("task");
    });
    proxy->PostDelayedTask([&] {
      delayed_ran = true;
      log.push_back("delayed");
    }, 30000);
    WaitUntil(task_ran);
    WaitUntil(delayed_ran);
    both_ran_while_open = task_ran && delayed_ran && ::IsWindow(box);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  // The box opens from a window message the pump dispatches.
  ::PostMessageW(window.hwnd.get(), kOpenBoxMessage, 0, 0);
  // Quit once the box has closed: the window procedure logs "box-closed".
  base::StdClosure poll;
  poll = [&] {
    if (!log.empty() && log.back() == "box-closed")
      loop.QuitWhenIdle();
    else
      loop.PostDelayedTask(poll, 5000);
  };
  loop.PostDelayedTask(poll, 5000);
  loop.Run();
  closer.join();
  TestWindow::log = nullptr;
  ASSERT_TRUE(box_found) << "the system message box never appeared";
  EXPECT_TRUE(both_ran_while_open) << "a native modal loop starved the loop's tasks or timer";
  EXPECT_EQ(log, (std::vector<std::string>{"task", "delayed", "box-closed"}));
}

TEST(WinUIMessagePumpTest, ADispatcherTakesTheMessagesAndEndsTheLoop) {
  struct Dispatcher : base::MessageDispatcher {
    bool Dispatch(const MSG& message) override {
      if (message.message == kCountMessage) ++seen;
      return seen < 3;
    }
    int seen = 0;
  };
  test::Reaper reaper("the dispatcher never ended the UI loop");
  base::UIMessageLoop loop;
  TestWindow window;
  Dispatcher dispatcher;
  for (int i = 0; i < 4; ++i) ::PostMessageW(window.hwnd.get(), kCountMessage, 0, 0);
  loop.Run(&dispatcher);
  EXPECT_EQ(dispatcher.seen, 3);
  EXPECT_EQ(TestWindow::count, 0) << "messages reached the window past the dispatcher";
}

}  // namespace
