// Time from process start to the first painted window: the installer
// (OrvaneSetup.exe) against a bare Win32 program that shows a layered window
// of the same size painted once with UpdateLayeredWindow
// (bench_bare_layered_window.exe). Runs the two alternately, N times each,
// one child at a time, and prints each run, the medians and their ratio.
// tools/bench runs it with the local service up and a display.
//
// Clock: starts just before CreateProcessW, so it covers the loader, the
// program's start-up (for the installer: network check, mutex, threads, skin,
// the version query it waits for) and its first paint.
//
// "Visible": the first 1 ms poll at which EnumWindows finds a top-level window
// of the child's process that IsWindowVisible and has the expected size
// (988 x 653, the installer window's size, which the bare program copies).
// Other windows of the child do not count: a message box saying the skin
// failed to load is not the installer's first paint. They are listed when a
// run fails.
// "Painted": the first poll at which, in addition, at least a quarter of the
// pixels sampled on a grid inside that rectangle differ from what the screen
// showed there before the child started. A layered window shows nothing until
// its first UpdateLayeredWindow, so this reads the real screen rather than a
// window flag: what counts is that its pixels are on the display.
//
// With --api=HOST:PORT the bare program first makes the one request the
// installer waits for, a bare WinHTTP POST of the version question to the
// same local API, so the baseline is a layered window plus that request.
//
// The installer's phases: each installer run gets ORVANE_STARTUP_TRACE naming
// a file in its folder, where the program writes when each start-up phase
// ended (seconds since its process was created) and what image decoding,
// skin parsing, fonts and text cost in total; the medians over the runs are
// printed after the figures, so the next person sees where the time is.
//
// Exits 1 when any run failed, after printing what it measured.
//
// Usage: bench_first_paint.exe [--size=WxH] [--api=HOST:PORT] RUNS WORK_FOLDER BARE_EXE SETUP_EXE [SETUP_ARGS]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "base/unique_any.h"
#include "bench/support/bench_clock.h"
#include "bench/support/figure.h"
#include "support/text.h"
#include "ui/render/gdi_bitmap.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGrid = 16;  // kGrid x kGrid sample points
constexpr double kTimeoutSeconds = 20;

// The window size that counts; --size changes it.
int g_width = 988;
int g_height = 653;

// The screen as a 32-bit top-down image.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Copies a rectangle of the screen into `out` (screen coordinates).
bool GrabScreen(const RECT& rect, Screenshot* out) {
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return false;
  base::unique_hdc_window screen = base::unique_hdc_window::For(nullptr);
  base::unique_hdc memory(::CreateCompatibleDC(screen.get()));
  ui::GdiBitmap image;
  if (!screen || !memory || !image.Init(screen.get(), w, h)) return false;
  base::unique_select_object selected(memory.get(), image.GetBitmap());
  if (!::BitBlt(memory.get(), 0, 0, w, h, screen.get(), rect.left, rect.top, SRCCOPY)) return false;
  ::GdiFlush();
  out->width = w;
  out->height = h;
  const auto* p = reinterpret_cast<const uint32_t*>(image.GetBits());
  out->pixels.assign(p, p + static_cast<size_t>(w) * h);
  return true;
}

// Every visible top-level window of the child with a non-empty rectangle
// (the installer may also show a shadow window next to its own).
struct FindState {
  DWORD pid;
  std::vector<RECT> rects;   // visible windows of the expected size
  std::wstring others;       // the other visible windows, for a failed run
};

BOOL CALLBACK FindVisibleWindows(HWND hwnd, LPARAM param) {
  auto* state = reinterpret_cast<FindState*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != state->pid || !::IsWindowVisible(hwnd)) return TRUE;
  RECT rect;
  if (!::GetWindowRect(hwnd, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return TRUE;
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w == g_width && h == g_height) {
    state->rects.push_back(rect);
  } else {
    wchar_t title[128] = {};
    ::GetWindowTextW(hwnd, title, 128);
    state->others = L"\"" + std::wstring(title) + L"\" " + std::to_wstring(w) + L"x" + std::to_wstring(h);
  }
  return TRUE;
}

// Share of grid samples inside `rect` (clipped to the screen) whose colour
// differs from `before`, read with one 1-pixel-high strip per grid row.
double ChangedShare(const RECT& rect, const Screenshot& before) {
  RECT clip{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
            std::min<LONG>(rect.right, before.width), std::min<LONG>(rect.bottom, before.height)};
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;
  int changed = 0, samples = 0;
  for (int gy = 0; gy < kGrid; ++gy) {
    int y = clip.top + (clip.bottom - clip.top) * (2 * gy + 1) / (2 * kGrid);
    Screenshot strip;
    if (!GrabScreen(RECT{clip.left, y, clip.right, y + 1}, &strip)) continue;
    for (int gx = 0; gx < kGrid; ++gx) {
      int x = (clip.right - clip.left) * (2 * gx + 1) / (2 * kGrid);
      uint32_t now = strip.pixels[x] & 0x00FFFFFF;
      uint32_t then = before.pixels[static_cast<size_t>(y) * before.width + clip.left + x] & 0x00FFFFFF;
      ++samples;
      if (now != then) ++changed;
    }
  }
  return samples ? static_cast<double>(changed) / samples : 0;
}

struct Run {
  bool ok = false;
  double visible = 0;  // seconds
  double painted = 0;  // seconds
};

// The installer's start-up trace over the runs: for each phase (in the
// order the program reports them) and each cost, the value of every run.
struct StartupPhases {
  std::vector<std::string> order;
  std::map<std::string, std::vector<double>> values;

  // Adds one run's trace file; false when the program wrote none.
  bool Add(const std::wstring& path) {
    FILE* file = ::_wfopen(path.c_str(), L"r");
    if (!file) return false;
    char line[256];
    while (std::fgets(line, sizeof(line), file)) {
      char kind[16] = {}, name[160] = {};
      double seconds = 0;
      if (std::sscanf(line, "%15[^\t]\t%159[^\t]\t%lf", kind, name, &seconds) != 3) continue;
      const std::string key = std::string(kind) + "\t" + name;
      if (!values.count(key)) order.push_back(key);
      values[key].push_back(seconds);
    }
    std::fclose(file);
    return true;
  }

  void Print() const {
    std::printf("OrvaneSetup start-up phases, medians over %zu runs (seconds since process creation):\n",
                values.empty() ? 0 : values.begin()->second.size());
    double previous = 0;
    for (const std::string& key : order) {
      const size_t tab = key.find('\t');
      if (key.compare(0, tab, "phase") != 0) continue;
      const double end = bench::Median(values.at(key));
      std::printf("  %-48s ends %.3f s, takes %.3f s\n", key.substr(tab + 1).c_str(), end, end - previous);
      previous = end;
    }
    std::printf("  spread over the phases above:\n");
    for (const std::string& key : order) {
      const size_t tab = key.find('\t');
      if (key.compare(0, tab, "cost") != 0) continue;
      std::printf("  %-48s %.3f s\n", key.substr(tab + 1).c_str(), bench::Median(values.at(key)));
    }
  }
};

Run LaunchOnce(const std::wstring& exe, const std::wstring& args, const std::wstring& folder) {
  Run run;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  Screenshot before;
  int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  if (!GrabScreen(RECT{0, 0, sw, sh}, &before)) {
    std::printf("  cannot read the screen\n");
    return run;
  }
  std::wstring command = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  auto start = Clock::now();
  if (!::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
    std::printf("  CreateProcess failed: %lu\n", ::GetLastError());
    return run;
  }
  auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  FindState state{process.dwProcessId, {}, {}};
  std::wstring others;
  bool exited = false;
  while (seconds() < kTimeoutSeconds) {
    state.rects.clear();
    state.others.clear();
    ::EnumWindows(FindVisibleWindows, reinterpret_cast<LPARAM>(&state));
    if (!state.others.empty()) others = state.others;
    if (!state.rects.empty() && run.visible == 0) run.visible = seconds();
    for (const RECT& rect : state.rects) {
      if (ChangedShare(rect, before) >= 0.25) {
        run.painted = seconds();
        run.ok = true;
        break;
      }
    }
    if (run.ok) break;
    if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
      exited = true;
      break;
    }
  }
  if (!run.ok) {
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    // UTF-8 for the Linux side that reads the output (titles may be Chinese).
    const std::string other = test_support::Utf8(others);
    std::printf("  no painted %dx%d window (%s, exit code %lu)%s%s\n", g_width, g_height,
                exited ? "the program ended" : "timed out", code,
                other.empty() ? "" : "; it showed another window: ", other.c_str());
  }
  ::TerminateProcess(process.hProcess, 0);
  ::WaitForSingleObject(process.hProcess, 10000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  // Let the display drop the window before the next run reads the screen.
  ::Sleep(200);
  return run;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring bareArgs;
  while (argc > 1 && std::wstring(argv[1]).rfind(L"--", 0) == 0) {
    const std::wstring option = argv[1];
    if (option.rfind(L"--size=", 0) == 0) {
      if (swscanf(argv[1] + 7, L"%dx%d", &g_width, &g_height) != 2) return 2;
    } else if (option.rfind(L"--api=", 0) == 0) {
      bareArgs = option.substr(6);
    } else {
      return 2;
    }
    ++argv;
    --argc;
  }
  if (argc < 5) {
    std::fprintf(stderr, "usage: bench_first_paint [--size=WxH] [--api=HOST:PORT] RUNS WORK_FOLDER BARE_EXE SETUP_EXE [SETUP_ARGS]\n");
    return 2;
  }
  int runs = std::max(1, _wtoi(argv[1]));
  std::wstring work = argv[2];
  std::wstring bare = argv[3];
  std::wstring setup = argv[4];
  std::wstring setupArgs;
  for (int i = 5; i < argc; ++i) setupArgs += (setupArgs.empty() ? L"" : L" ") + std::wstring(argv[i]);
  ::CreateDirectoryW(work.c_str(), nullptr);

  std::vector<double> bareVisible, barePainted, setupVisible, setupPainted;
  StartupPhases phases;
  int failures = 0;
  for (int i = 1; i <= runs; ++i) {
    // Alternating, so both see the same drift of the machine's load.
    Run b = LaunchOnce(bare, bareArgs, work + L"\\bare_" + std::to_wstring(i));
    std::printf("run %2d  bare program:        visible %.3f s, painted %.3f s%s\n", i, b.visible, b.painted,
                b.ok ? "" : " (FAILED)");
    std::fflush(stdout);
    // Each installer run gets a working folder of its own for its setup.log
    // and its start-up trace (the variable reaches the child alone: the bare
    // program does not read it).
    const std::wstring setupFolder = work + L"\\setup_" + std::to_wstring(i);
    const std::wstring trace = setupFolder + L"\\startup-trace.tsv";
    ::DeleteFileW(trace.c_str());
    ::SetEnvironmentVariableW(L"ORVANE_STARTUP_TRACE", trace.c_str());
    Run s = LaunchOnce(setup, setupArgs, setupFolder);
    ::SetEnvironmentVariableW(L"ORVANE_STARTUP_TRACE", nullptr);
    if (s.ok && !phases.Add(trace)) std::printf("run %2d  OrvaneSetup wrote no start-up trace\n", i);
    std::printf("run %2d  OrvaneSetup:         visible %.3f s, painted %.3f s%s\n", i, s.visible, s.painted,
                s.ok ? "" : " (FAILED)");
    std::fflush(stdout);
    if (b.ok) {
      bareVisible.push_back(b.visible);
      barePainted.push_back(b.painted);
    } else {
      ++failures;
    }
    if (s.ok) {
      setupVisible.push_back(s.visible);
      setupPainted.push_back(s.painted);
    } else {
      // A start-up that does not reach its window fails the same way every
      // time; waiting out the time-out again tells nothing new.
      ++failures;
      std::printf("stopping: OrvaneSetup did not paint its window\n");
      break;
    }
  }
  if (barePainted.empty() || setupPainted.empty()) {
    std::printf("FAILED: no run of %s painted a window\n", barePainted.empty() ? "the bare program" : "OrvaneSetup");
    return 1;
  }
  using bench::Median;
  double bv = Median(bareVisible), bp = Median(barePainted);
  double sv = Median(setupVisible), sp = Median(setupPainted);
  std::printf("medians over %zu / %zu good runs (%d failed):\n", barePainted.size(), setupPainted.size(), failures);
  std::printf("  bare program:        visible %.3f s, first paint %.3f s\n", bv, bp);
  std::printf("  OrvaneSetup:         visible %.3f s, first paint %.3f s\n", sv, sp);
  const char* baseline = bareArgs.empty() ? "bare layered window" : "bare layered window + bare WinHTTP POST";
  bench::PrintFigure("first paint, OrvaneSetup, median", sp, "s", baseline, bp);
  phases.Print();
  return failures ? 1 : 0;
}
