// Share of the UI thread's CPU during an install: the installer's own
// app::DownloadAndUnzipFile (download with its progress sink, then the
// extraction, with the status texts posted to the UI) runs on this thread as
// on the installer's worker, while the real installer window shows the
// progress on its UI thread: each report becomes a task that changes the bar
// and the percentage, which lays out and repaints the layered window. The UI
// thread's user+kernel time comes from GetThreadTimes, the wall time runs from
// the start of the download until the UI has applied the last report.
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
  double uiCpu = 0;  // seconds
  double wall = 0;   // seconds
};

enum class Progress { kShown, kDiscarded };

Figures InstallOnce(bench::InstallerWindow& window, Progress progress, const std::wstring& folder,
                    unsigned long long package_bytes, int run) {
  const std::wstring target = folder + L"\\target" + std::to_wstring(run);
  ::DeleteFileW(app::packagePath.c_str());
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
  ui::Window::PaintTimes paints_before, paints_after;
  window.RunOnUi([&] { paints_before = window.form()->GetPaintTimes(); });
  const double cpu_before = bench::ThreadCpuSeconds(window.ui_thread());
  const double start = bench::Seconds();
  app::InstallResult result;
  if (progress == Progress::kShown) {
    result = app::DownloadAndUnzipFile(*window.form(), target);
  } else {
    DiscardingSink sink;
    result = app::DownloadPackage(sink);
    if (result == app::InstallResult::Success &&
        app::ZipPack::UnzipFile(app::packagePath, target) != app::UnzipResult::Extracted) {
      result = app::InstallResult::UnzipFailed;
    }
  }
  std::wstring shown, status_text;
  int width = 0;
  window.RunOnUi([&] {
    shown = value ? value->GetText() : L"(no label)";
    status_text = status ? status->GetText() : L"(no label)";
    width = bar ? bar->GetFixedWidth() : -1;
    paints_after = window.form()->GetPaintTimes();
  });
  f.wall = bench::Seconds() - start;
  // Thread times move in scheduler ticks; never report a negative.
  f.uiCpu = std::max(0.0, bench::ThreadCpuSeconds(window.ui_thread()) - cpu_before);

  const bool whole = FileSize(app::packagePath) == package_bytes;
  const bool shown_right = progress == Progress::kDiscarded
                               ? shown == L"0%" && status_text == L"-"
                               : shown == L"90%" && width == 810 && status_text == L"解压中...";
  f.ok = result == app::InstallResult::Success && whole && shown_right;
  std::printf("  progress %-9s result %d, package %s, shown %ls/%d px, UI CPU %.3f s, wall %.2f s, "
              "%lld paints (%.3f s drawing, %.3f s presenting)%s\n",
              progress == Progress::kShown ? "shown:" : "discarded:", static_cast<int>(result),
              whole ? "whole" : "SHORT", shown.c_str(), width, f.uiCpu, f.wall,
              paints_after.paints - paints_before.paints,
              paints_after.render_seconds - paints_before.render_seconds,
              paints_after.present_seconds - paints_before.present_seconds, f.ok ? "" : " (FAILED)");
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
  const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 2;
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
  app::downloadUrl = url;
  app::packagePath = folder + L"\\bench_install_ui.zip";
  app::packageSha256.clear();
  if (argc > 5 && std::wcscmp(argv[5], L"-") != 0) {
    for (const wchar_t* c = argv[5]; *c; ++c) app::packageSha256 += static_cast<char>(*c);
  }

  // One untimed install first, so the first measured one does not pay for the
  // cold page cache of the package and Wine's first TLS handshake.
  std::printf("warm-up\n");
  bool ok = InstallOnce(window, Progress::kDiscarded, folder, package_bytes, 0).ok;

  // Sums over the rounds; the order alternates so that neither always runs first.
  Figures shown, discarded;
  int run = 0;
  for (int round = 1; round <= rounds; ++round) {
    std::printf("round %d\n", round);
    for (int k = 0; k < 2; ++k) {
      const bool show = (k + round) % 2 == 1;
      Figures f = InstallOnce(window, show ? Progress::kShown : Progress::kDiscarded, folder,
                              package_bytes, ++run);
      Figures& sum = show ? shown : discarded;
      ok = ok && f.ok;
      sum.uiCpu += f.uiCpu;
      sum.wall += f.wall;
    }
  }
  ::DeleteFileW(app::packagePath.c_str());
  if (!ok) {
    std::printf("FAILED: an install did not complete or showed the wrong final progress\n");
    return 1;
  }
  std::printf("sums over %d rounds: progress shown UI CPU %.3f s of %.2f s; discarded %.3f s of %.2f s\n",
              rounds, shown.uiCpu, shown.wall, discarded.uiCpu, discarded.wall);
  bench::PrintFigure("install, UI thread CPU share, installer's progress path",
                     100 * shown.uiCpu / shown.wall, "%",
                     "same install, progress not shown", 100 * discarded.uiCpu / discarded.wall);
  bench::PrintFigure("install, wall time, installer's progress path", shown.wall / rounds, "s",
                     "same install, progress not shown", discarded.wall / rounds);
  return 0;
}
