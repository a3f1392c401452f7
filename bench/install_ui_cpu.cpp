// CPU time the UI thread spends presenting the progress of an install: the
// package download (1024-byte chunks, one report per chunk) followed by the
// extraction, with the reports handed to a UI thread that runs a UI message
// loop and applies them to real controls (the percentage label's text and the
// bar's width), three ways:
//   - a sink that does nothing (baseline: what the UI thread costs anyway),
//   - a sink that posts every report as its own task to the UI thread,
//   - a sink that coalesces: the worker stores the latest value in one slot
//     and posts a task only when none is pending; the task applies the latest.
// The UI thread's user+kernel time comes from GetThreadTimes, wall time is
// from the first byte asked for to the UI having applied everything.
// tools/bench-install-ui runs it against the local storage.
//
// Usage: bench_install_ui_cpu.exe URL WORK_FOLDER [ROUNDS]
#include <algorithm>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>

#include "app/package_download.h"
#include "app/package_location.h"
#include "app/zip_pack.h"
#include "base/framework_thread.h"
#include "base/thread_registry.h"
#include "base/unique_any.h"
#include "ui/box.h"
#include "ui/color_table.h"
#include "ui/control.h"
#include "ui/font_table.h"
#include "ui/global_resources.h"
#include "ui/label.h"
#include "ui/offscreen_host.h"

namespace {

constexpr int kUiThread = 0;

// The installing view's progress controls in an offscreen host the size of
// the installer window; lives on the UI thread.
class UiThread : public base::FrameworkThread {
 public:
  UiThread() : base::FrameworkThread("Bench UI Thread") {}
  ~UiThread() override { Stop(); }

  HANDLE handle() const { return handle_.get(); }
  ui::Label* status() const { return status_; }
  ui::Label* value() const { return value_; }
  ui::Control* bar() const { return bar_; }

  // UI thread: what the installer's sink does with one report.
  void Apply(double percent) {
    if (percent < 0) percent = 0;
    if (percent >= 90) percent = 90;
    if (bar_ && bar_->IsVisible()) bar_->SetFixedWidth(static_cast<int>(percent * 9));
    if (value_ && value_->IsVisible()) {
      wchar_t text[16];
      std::swprintf(text, 16, L"%.0f%%", percent);
      value_->SetText(text);
    }
    ++applied_;
  }
  long long TakeApplied() {
    long long n = applied_;
    applied_ = 0;
    return n;
  }

 protected:
  void Init() override {
    HANDLE self = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &self, 0,
                      FALSE, DUPLICATE_SAME_ACCESS);
    handle_.reset(self);
    base::ThreadRegistry::RegisterThread(kUiThread);
    ui::GlobalResources::Startup(L"bench_resources\\", {}, false, L"themes\\default", L"lang\\zh_CN");
    ui::GlobalResources::GetFontTable().AddFont(L"system_14", L"system", 14, false, false, false, true);
    ui::GlobalResources::GetColorTable().AddColor(L"darkcolor", L"#ff333333");
    host_ = std::make_unique<ui::OffscreenHost>(988, 653);
    auto* root = new ui::VBox;
    status_ = new ui::Label;
    status_->SetText(L"下载中...");
    auto* track = new ui::HBox;
    track->SetFixedWidth(840);
    bar_ = new ui::Control;
    bar_->SetFixedWidth(10);
    bar_->SetFixedHeight(6);
    track->Add(bar_);
    value_ = new ui::Label;
    value_->SetText(L"0%");
    root->Add(status_);
    root->Add(track);
    root->Add(value_);
    host_->AttachRoot(root);
    host_->PaintAll();
  }
  void Cleanup() override {
    host_.reset();
    base::ThreadRegistry::UnregisterThread();
  }

 private:
  base::unique_handle handle_;
  std::unique_ptr<ui::OffscreenHost> host_;
  ui::Label* status_ = nullptr;
  ui::Label* value_ = nullptr;
  ui::Control* bar_ = nullptr;
  long long applied_ = 0;
};

UiThread* g_ui = nullptr;

class CountingSink : public app::ProgressSink {
 public:
  long long reports() const { return reports_; }

 protected:
  long long reports_ = 0;
};

// Baseline: the download's reports go nowhere.
class NullSink : public CountingSink {
 public:
  void Report(double) override { ++reports_; }
};

// One UI task per report, applied in order.
class PostEachSink : public CountingSink {
 public:
  void Report(double percent) override {
    ++reports_;
    base::ThreadRegistry::PostTask(kUiThread, [percent] { g_ui->Apply(percent); });
  }
};

// One pending slot: a report overwrites the value not yet applied, and only
// the report that finds the slot empty posts a task, which applies whatever is
// latest when it runs. The last report is therefore always the one shown.
class CoalescingSink : public CountingSink {
 public:
  void Report(double percent) override {
    ++reports_;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      latest_ = percent;
      if (pending_) return;
      pending_ = true;
    }
    base::ThreadRegistry::PostTask(kUiThread, [this] {
      double percent;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        percent = latest_;
        pending_ = false;
      }
      g_ui->Apply(percent);
    });
  }

 private:
  std::mutex mutex_;
  double latest_ = 0;
  bool pending_ = false;
};

double CpuSeconds(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!::GetThreadTimes(thread, &created, &exited, &kernel, &user)) return -1;
  auto value = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (value(kernel) + value(user)) / 1e7;
}

std::string Narrow(const std::wstring& text) {
  int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 1, '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

// Runs a task on the UI thread and waits for it (also waits until every task
// posted before it has run).
template <typename F>
void OnUi(F f) {
  base::unique_handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE event = done.get();
  base::ThreadRegistry::PostTask(kUiThread, [f, event] {
    f();
    ::SetEvent(event);
  });
  ::WaitForSingleObject(event, INFINITE);
}

struct Figures {
  bool ok = false;
  double uiCpu = 0;     // seconds of UI thread CPU
  double wall = 0;      // seconds, download start to everything applied
  double drain = 0;     // seconds the UI still needed after the worker was done
  long long reports = 0;
  long long applied = 0;
};

// The work of DownloadAndUnzipFile, with the status texts posted to the UI.
template <typename Sink>
Figures InstallOnce(const char* label, const std::wstring& folder, int run) {
  Figures f;
  std::wstring target = folder + L"\\target" + std::to_wstring(run);
  ::DeleteFileW(app::packagePath.c_str());
  OnUi([] {
    g_ui->TakeApplied();
    g_ui->bar()->SetFixedWidth(10);
    g_ui->value()->SetText(L"0%");
  });
  Sink sink;
  double cpu0 = CpuSeconds(g_ui->handle());
  auto start = std::chrono::steady_clock::now();
  base::ThreadRegistry::PostTask(kUiThread, [] { g_ui->status()->SetText(L"下载中..."); });
  app::InstallResult result = app::DownloadPackage(sink);
  bool unzipped = false;
  if (result == app::InstallResult::Success) {
    base::ThreadRegistry::PostTask(kUiThread, [] { g_ui->status()->SetText(L"解压中..."); });
    unzipped = app::ZipPack::UnzipFile(Narrow(app::packagePath), Narrow(target));
  }
  auto workerDone = std::chrono::steady_clock::now();
  std::wstring shown;
  int width = 0;
  OnUi([&] {
    shown = g_ui->value()->GetText();
    width = g_ui->bar()->GetFixedWidth();
    f.applied = g_ui->TakeApplied();
  });
  auto end = std::chrono::steady_clock::now();
  // Thread times are sampled at the scheduler tick; never report a negative.
  f.uiCpu = std::max(0.0, CpuSeconds(g_ui->handle()) - cpu0);
  f.wall = std::chrono::duration<double>(end - start).count();
  f.drain = std::chrono::duration<double>(end - workerDone).count();
  f.reports = sink.reports();
  // Whatever the hand-over, the last report must be what is shown (the null
  // sink shows nothing, so it keeps the reset values).
  bool shownRight = f.applied == 0 ? (shown == L"0%") : (shown == L"90%" && width == 810);
  f.ok = result == app::InstallResult::Success && unzipped && shownRight;
  std::printf("  %-22s result %d, unzip %s, %lld reports, %lld applied, shown %ls/%d px%s, "
              "UI CPU %.3f s, wall %.2f s (UI drain after worker %.3f s)\n",
              label, static_cast<int>(result), unzipped ? "ok" : "FAILED", f.reports, f.applied,
              shown.c_str(), width, shownRight ? "" : " (WRONG)", f.uiCpu, f.wall, f.drain);
  std::fflush(stdout);
  return f;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_install_ui_cpu URL WORK_FOLDER [ROUNDS]\n");
    return 2;
  }
  std::wstring url = argv[1];
  std::wstring folder = argv[2];
  int rounds = argc > 3 ? _wtoi(argv[3]) : 2;
  if (rounds < 1) rounds = 1;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  // The download logs every step to setup.log in the working folder.
  ::SetCurrentDirectoryW(folder.c_str());
  app::downloadUrl = url;
  app::packagePath = folder + L"\\bench_install_ui.zip";

  UiThread ui;
  g_ui = &ui;
  if (!ui.Start(base::kUI)) {
    std::printf("FAILED: the UI thread did not start\n");
    return 1;
  }

  // One untimed install first, so the first measured one does not pay for the
  // cold page cache of the package and Wine's first TLS handshake.
  std::printf("warm-up\n");
  InstallOnce<NullSink>("sink doing nothing", folder, 0);

  // Sums over the rounds; the order of the three rotates so that no variant
  // always runs first (cold disk cache, warm TLS) or last.
  Figures sum[3];
  bool ok = true;
  int run = 0;
  for (int round = 1; round <= rounds; ++round) {
    std::printf("round %d\n", round);
    for (int k = 0; k < 3; ++k) {
      int which = (k + round - 1) % 3;
      Figures f = which == 0   ? InstallOnce<NullSink>("sink doing nothing", folder, ++run)
                  : which == 1 ? InstallOnce<PostEachSink>("task per report", folder, ++run)
                               : InstallOnce<CoalescingSink>("coalescing sink", folder, ++run);
      ok = ok && f.ok;
      sum[which].uiCpu += f.uiCpu;
      sum[which].wall += f.wall;
      sum[which].drain += f.drain;
      sum[which].reports += f.reports;
      sum[which].applied += f.applied;
    }
  }
  ::DeleteFileW(app::packagePath.c_str());
  ui.Stop();
  g_ui = nullptr;
  if (!ok) {
    std::printf("FAILED: an install did not complete or showed the wrong final progress\n");
    return 1;
  }
  const char* names[3] = {"sink doing nothing", "task per report", "coalescing sink"};
  std::printf("means over %d rounds:\n", rounds);
  for (int i = 0; i < 3; ++i) {
    std::printf("  %-22s UI CPU %.3f s, wall %.2f s, UI drain %.3f s, %lld reports, %lld applied\n",
                names[i], sum[i].uiCpu / rounds, sum[i].wall / rounds, sum[i].drain / rounds,
                sum[i].reports / rounds, sum[i].applied / rounds);
  }
  // The idle UI thread costs next to nothing, often less than the clock's
  // resolution, so the UI cost of a hand-over is shown as the time above that
  // baseline, per report made; the two hand-overs are compared by ratio.
  for (int i = 1; i < 3; ++i) {
    double extra = (sum[i].uiCpu - sum[0].uiCpu) / rounds;
    double reports = static_cast<double>(sum[i].reports) / rounds;
    std::printf("UI CPU above the do-nothing sink, %-16s %.3f s (%.2f us per report)\n", names[i], extra,
                reports > 0 ? extra * 1e6 / reports : 0);
  }
  if (sum[2].uiCpu > 0) {
    std::printf("UI CPU, task per report / coalescing: %.1f\n", sum[1].uiCpu / sum[2].uiCpu);
  } else {
    std::printf("UI CPU, task per report / coalescing: coalescing below the clock's resolution\n");
  }
  std::printf("wall, task per report / nothing:    %.2f\n", sum[1].wall / sum[0].wall);
  std::printf("wall, coalescing / nothing:         %.2f\n", sum[2].wall / sum[0].wall);
  std::printf("RESULT uicpu_null %.3f uicpu_each %.3f uicpu_coalesce %.3f wall_null %.2f wall_each %.2f "
              "wall_coalesce %.2f\n",
              sum[0].uiCpu / rounds, sum[1].uiCpu / rounds, sum[2].uiCpu / rounds, sum[0].wall / rounds,
              sum[1].wall / rounds, sum[2].wall / rounds);
  return 0;
}
