#include "base/startup_trace.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace base {
namespace {

struct Trace {
  Trace() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"ORVANE_STARTUP_TRACE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    file = path;
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    creation = Ticks(created);
    active = true;
  }

  static unsigned long long Ticks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  }

  // Seconds since the process was created, on the clock its creation time
  // uses (Wine reads it at microseconds; Windows 7 has no precise variant).
  double Now() const {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return static_cast<double>(Ticks(now) - creation) / 1e7;
  }

  std::mutex lock;
  bool active = false;
  std::wstring file;
  unsigned long long creation = 0;
  std::vector<std::pair<const char*, double>> marks;
  std::vector<std::pair<const char*, double>> costs;
};

Trace& TheTrace() {
  static Trace trace;
  return trace;
}

}  // namespace

void MarkStartupPhase(const char* phase) {
  Trace& trace = TheTrace();
  std::lock_guard<std::mutex> hold(trace.lock);
  if (trace.active) trace.marks.emplace_back(phase, trace.Now());
}

StartupCost::StartupCost(const char* what) : what_(what) {
  Trace& trace = TheTrace();
  std::lock_guard<std::mutex> hold(trace.lock);
  if (trace.active) start_ = trace.Now();
}

StartupCost::~StartupCost() {
  if (start_ < 0) return;
  Trace& trace = TheTrace();
  std::lock_guard<std::mutex> hold(trace.lock);
  if (!trace.active) return;
  const double spent = trace.Now() - start_;
  for (auto& cost : trace.costs) {
    if (std::string(cost.first) == what_) {
      cost.second += spent;
      return;
    }
  }
  trace.costs.emplace_back(what_, spent);
}

void FinishStartupTrace() {
  Trace& trace = TheTrace();
  std::lock_guard<std::mutex> hold(trace.lock);
  if (!trace.active) return;
  trace.active = false;
  FILE* out = ::_wfopen(trace.file.c_str(), L"w");
  if (!out) return;
  for (const auto& mark : trace.marks) std::fprintf(out, "phase\t%s\t%.6f\n", mark.first, mark.second);
  for (const auto& cost : trace.costs) std::fprintf(out, "cost\t%s\t%.6f\n", cost.first, cost.second);
  std::fclose(out);
}

}  // namespace base
