// Helpers of the loop tests: a reaper that ends a stuck test with a sentence
// instead of letting it hang, and a clock the test moves by hand.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "base/now_ticks.h"
#include "base/unique_any.h"

namespace test {

// Fails the whole test process with `sentence` if it is still alive after
// `timeout_ms`. Destroying the reaper disarms it.
class Reaper {
 public:
  explicit Reaper(const char* sentence, DWORD timeout_ms = 15000)
      : done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        watcher_([this, sentence, timeout_ms] {
          if (::WaitForSingleObject(done_.get(), timeout_ms) == WAIT_OBJECT_0) return;
          std::fprintf(stderr, "REAPER: %s\n", sentence);
          std::fflush(stderr);
          ::TerminateProcess(::GetCurrentProcess(), 3);
        }) {}
  ~Reaper() {
    ::SetEvent(done_.get());
    watcher_.join();
  }
  Reaper(const Reaper&) = delete;
  Reaper& operator=(const Reaper&) = delete;

 private:
  base::unique_handle done_;
  std::thread watcher_;
};

// A millisecond clock for NowTicks that only moves when the test says so.
class FakeClock {
 public:
  explicit FakeClock(DWORD start_ms) {
    Now() = start_ms;
    base::SetTickSourceForTesting(&FakeClock::Read);
  }
  ~FakeClock() { base::SetTickSourceForTesting(nullptr); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  static void Set(DWORD ms) { Now() = ms; }
  static void Advance(DWORD ms) { Now() += ms; }

 private:
  static std::atomic<DWORD>& Now() {
    static std::atomic<DWORD> now{0};
    return now;
  }
  static DWORD WINAPI Read() { return Now().load(); }
};

}  // namespace test
