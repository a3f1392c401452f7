// Share of the UI thread's CPU during an install: the installer's own
// app::DownloadAndUnzipFile (download with its progress sink, then the
// extraction, with the status texts posted to the UI) runs on this thread as
// on the installer's worker, while the real installer window shows the
// progress on its UI thread: each report becomes a task that changes the bar
// and the percentage, which lays out and repaints the layered window. The UI
// thread's user+kernel time comes from GetThreadTimes, the wall time runs from
// the start of the download until the UI has applied the last report. The
// UI thread's CPU inside the platform's layered present (UpdateLayered-
// WindowIndirect, counted by the window's painter in the same thread times)
// is shown apart from its own: the present's cost is the platform's.
//
// Baseline in the same run: the same install with the window open but its
// progress and status discarded (the download with a sink that does nothing,
// then the extraction), which is what the open window costs anyway.
//
// SHA256 is the package's digest, for the installer's check as the service
// names one ("-" for none), so the install hashes as the product does.
//
// Usage: bench_install_ui_cpu.exe URL PACKAGE_BYTES WORK_FOLDER [ROUNDS [SHA256]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/text/ansi_text.h"
#include "app/shell/window/basic_form.h"
#include "app/shell/window/control_progress_sink.h"
#include "app/install/install_pipeline.h"
#include "app/install/download/package_download.h"
#include "app/install/common/package_location.h"
#include "app/install/extract/zip_pack.h"
#include "bench/support/bench_clock.h"
#include "bench/support/figure.h"
#include "bench/support/installer_window.h"
#include "support/paint_times.h"
#include "ui/widgets/label.h"

namespace {

class DiscardingSink : public app::ProgressSink {
 public:
  void Report(double) override {}
};

unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct Figures {
  bool ok = false;
  double uiCpu = 0;       // seconds
  double presentCpu = 0;  // seconds of uiCpu inside the layered present
  double wall = 0;        // seconds
  long long presents = 0;
};

enum class Progress { kShown, kDiscarded };

Figures InstallOnce(bench::InstallerWindow& window, const app::PackageLocation& package, Progress progress,
                    const std::wstring& folder, unsigned long long package_bytes, int run) {
  const std::wstring target = folder + L"\\target" + std::to_wstring(run);
  ::DeleteFileW(package.packagePath.c_str());
  ui::Label* status = nullptr;
  ui::Control* bar = nullptr;
  ui::Label* value = nullptr;
  window.RunOnUi([&] {
    status = window.form()->StatusLabel();
    bar = window.form()->ProgressBar();
    value = window.form()->ProgressValue();
    app::ControlProgressSink::Apply(bar, value, 0);
    if (status) status->SetText(L"-");
  });

  Figures f;
  test_support::PaintTimes paints_before, paints_after;
  window.RunOnUi([&] { paints_before = window.paint_times(); });
  const double cpu_before = bench::ThreadCpuSeconds(window.ui_thread());
  const double start = bench::Seconds();
  app::InstallResult result;
  if (progress == Progress::kShown) {
    result = app::DownloadAndUnzipFile(*window.form(), package, target);
  } else {
    DiscardingSink sink;
    result = app::DownloadPackage(package, sink);
    if (result == app::InstallResult::Success &&
        app::ZipPack::UnzipFile(package.packagePath, target) != app::UnzipResult::Extracted) {
      result = app::InstallResult::UnzipFailed;
    }
  }
  std::wstring shown, status_text;
  int width = 0;
  window.RunOnUi([&] {
    shown = value ? value->GetText() : L"(no label)";
    status_text = status ? status->GetText() : L"(no label)";
    width = bar ? bar->GetFixedWidth() : -1;
    paints_after = window.paint_times();
  });
  f.wall = bench::Seconds() - start;
  // Thread times move in scheduler ticks; never report a negative.
  f.uiCpu = std::max(0.0, bench::ThreadCpuSeconds(window.ui_thread()) - cpu_before);

  const bool whole = FileSize(package.packagePath) == package_bytes;
  const bool shown_right = progress == Progress::kDiscarded
                               ? shown == L"0%" && status_text == L"-"
                               : shown == L"90%" && width == 810 && status_text == L"解压中...";
  f.ok = result == app::InstallResult::Success && whole && shown_right;
  f.presentCpu = paints_after.present_cpu_seconds - paints_before.present_cpu_seconds;
  f.presents = paints_after.paints - paints_before.paints;
  std::printf("  progress %-9s result %d, package %s, shown %ls/%d px, UI CPU %.3f s, wall %.2f s, "
              "%lld paints (%.3f s drawing, %.3f s presenting, of it %.3f s CPU)%s\n",
              progress == Progress::kShown ? "shown:" : "discarded:", static_cast<int>(result),
              whole ? "whole" : "SHORT", shown.c_str(), width, f.uiCpu, f.wall,
              paints_after.paints - paints_before.paints,
              paints_after.render_seconds - paints_before.render_seconds,
              paints_after.present_seconds - paints_before.present_seconds, f.presentCpu, f.ok ? "" : " (FAILED)");
  std::fflush(stdout);
  return f;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_install_ui_cpu URL PACKAGE_BYTES WORK_FOLDER [ROUNDS [SHA256]]\n");
    return 2;
  }
  const std::wstring url = argv[1];
  const unsigned long long package_bytes = std::wcstoull(argv[2], nullptr, 10);
  const std::wstring folder = argv[3];
  const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 3;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  // The installer logs every step to setup.log in the working folder.
  ::SetCurrentDirectoryW(folder.c_str());

  bench::InstallerWindow window;
  if (!window.Open()) {
    std::printf("FAILED: the installer window did not come up\n");
    return 1;
  }
  // The window asked the API for the version when its skin loaded; the
  // benchmark's package replaces what that chose.
  app::PackageLocation package;
  package.downloadUrl = url;
  package.packagePath = folder + L"\\bench_install_ui.zip";
  if (argc > 5 && std::wcscmp(argv[5], L"-") != 0) {
    for (const wchar_t* c = argv[5]; *c; ++c) package.packageSha256 += static_cast<char>(*c);
  }

  // One untimed install first, so the first measured one does not pay for the
  // cold page cache of the package and Wine's first TLS handshake.
  std::printf("warm-up\n");
  bool ok = InstallOnce(window, package, Progress::kDiscarded, folder, package_bytes, 0).ok;

  // Per round one install of each kind; the order alternates so that neither
  // always runs first. The figures are the medians over the rounds.
  std::vector<double> shown_share, discarded_share, shown_wall, discarded_wall;
  std::vector<double> shown_own, discarded_own, shown_present, shown_rate;
  int run = 0;
  for (int round = 1; round <= rounds; ++round) {
    std::printf("round %d\n", round);
    for (int k = 0; k < 2; ++k) {
      const bool show = (k + round) % 2 == 1;
      Figures f = InstallOnce(window, package, show ? Progress::kShown : Progress::kDiscarded, folder,
                              package_bytes, ++run);
      ok = ok && f.ok;
      (show ? shown_share : discarded_share).push_back(100 * f.uiCpu / f.wall);
      (show ? shown_wall : discarded_wall).push_back(f.wall);
      (show ? shown_own : discarded_own).push_back(100 * std::max(0.0, f.uiCpu - f.presentCpu) / f.wall);
      if (show) {
        shown_present.push_back(100 * f.presentCpu / f.wall);
        shown_rate.push_back(f.presents / f.wall);
      }
    }
  }
  ::DeleteFileW(package.packagePath.c_str());
  if (!ok) {
    std::printf("FAILED: an install did not complete or showed the wrong final progress\n");
    return 1;
  }
  using bench::Median;
  std::printf("medians of %d rounds\n", rounds);
  bench::PrintFigure("install, UI thread CPU share, installer's progress path", Median(shown_share), "%",
                     "same install, progress not shown", Median(discarded_share));
  bench::PrintFigure("install, UI thread's own CPU share (outside present)", Median(shown_own), "%",
                     "same install, progress not shown", Median(discarded_own));
  bench::PrintFigure("install, CPU share of the layered present", Median(shown_present), "%");
  bench::PrintFigure("install, presents per second", Median(shown_rate), "1/s");
  bench::PrintFigure("install, wall time, installer's progress path", Median(shown_wall), "s",
                     "same install, progress not shown", Median(discarded_wall));
  return 0;
}
