// Where the time of the program's start-up goes, for the first-paint
// benchmark: with the environment variable ORVANE_STARTUP_TRACE naming a
// file, the start-up marks the end of each of its phases and adds up the
// cost of work spread over several phases (image decoding, font objects),
// and FinishStartupTrace writes it all to that file once the window is on
// screen. Without the variable every call is a flag test and nothing else.
//
// Times are seconds since the process was created (the loader's own work
// included). Marks come from the UI thread; costs from any thread.
#pragma once

namespace base {

// The phase that ends now.
void MarkStartupPhase(const char* phase);

// Adds the time from construction to destruction to the cost named `what`.
class StartupCost {
 public:
  explicit StartupCost(const char* what);
  ~StartupCost();
  StartupCost(const StartupCost&) = delete;
  StartupCost& operator=(const StartupCost&) = delete;

 private:
  const char* what_;
  double start_ = -1;  // negative: not tracing
};

// Writes the trace and stops tracing; later calls do nothing.
void FinishStartupTrace();

}  // namespace base
