// Repaint cost of the real installer window (app::BasicForm from the
// program's skin archive, a layered window, in its installing view) while
// the progress changes every frame the way a download shows it: the
// installer's own presentation of one value (ControlProgressSink::Apply)
// followed by UpdateWindow, which runs the window's WM_PAINT synchronously.
// The window times each paint it makes on its own paint path, split into
// bringing the tree into the bitmap (layout pass, tree paint, alpha repair)
// and UpdateLayeredWindow; those are the figures, per frame (a frame may take
// more than one paint), against a bare GDI+ fill of a 32-bit surface of the
// window's size measured in the same run.
//
// Needs a display and the local service (the window asks the API for the
// version when its skin loads).
//
// Usage: bench_layered_repaint.exe [FRAMES]
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "app/shell/window/basic_form.h"
#include "app/shell/window/control_progress_sink.h"
#include "base/unique_any.h"
#include "bench/support/bench_clock.h"
#include "bench/support/figure.h"
#include "bench/support/installer_window.h"
#include "support/paint_times.h"
#include "ui/render/gdi_bitmap.h"
#include "ui/render/render_context.h"

namespace {

// Milliseconds per GDI+ fill of a width x height 32-bit DIB: the floor any
// software repaint of that surface stands on.
double BareFillMs(int width, int height, int frames) {
  base::unique_hdc dc(::CreateCompatibleDC(nullptr));
  ui::GdiBitmap surface;
  if (!dc || !surface.Init(dc.get(), width, height)) return 0;
  base::unique_select_object selected(dc.get(), surface.GetBitmap());
  const double start = bench::Seconds();
  for (int i = 0; i < frames; ++i) {
    Gdiplus::Graphics graphics(dc.get());
    Gdiplus::SolidBrush brush(Gdiplus::Color(255, 255, 255, static_cast<BYTE>(i)));
    graphics.FillRectangle(&brush, 0, 0, width, height);
  }
  ::GdiFlush();
  return (bench::Seconds() - start) * 1000 / frames;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int frames = argc > 1 ? std::max(10, _wtoi(argv[1])) : 300;
  bench::InstallerWindow window;
  if (!window.Open()) {
    std::printf("FAILED: the installer window did not come up\n");
    return 1;
  }

  // Three rounds of a third of the frames each; the figures are the medians
  // of the rounds' per-frame costs.
  constexpr int kRounds = 3;
  const int per_round = frames / kRounds;
  std::vector<double> render_ms, present_ms, frame_ms;
  long long paints = 0;
  int width = 0, height = 0;
  window.RunOnUi([&] {
    app::BasicForm* form = window.form();
    ui::Control* bar = form->ProgressBar();
    ui::Label* value = form->ProgressValue();
    width = form->GetRenderContext()->GetWidth();
    height = form->GetRenderContext()->GetHeight();
    for (int round = 0; round < kRounds; ++round) {
      const test_support::PaintTimes before = window.paint_times();
      const double start = bench::Seconds();
      for (int i = round * per_round; i < (round + 1) * per_round; ++i) {
        // Steps of a third of a percent: the bar grows 3 px every frame, the
        // text changes every third.
        app::ControlProgressSink::Apply(bar, value, (i % 270) / 3.0 + 0.34);
        ::UpdateWindow(form->GetHWND());
      }
      frame_ms.push_back((bench::Seconds() - start) * 1000 / per_round);
      const test_support::PaintTimes after = window.paint_times();
      paints += after.paints - before.paints;
      render_ms.push_back((after.render_seconds - before.render_seconds) * 1000 / per_round);
      present_ms.push_back((after.present_seconds - before.present_seconds) * 1000 / per_round);
    }
  });
  std::vector<double> fills;
  for (int round = 0; round < kRounds; ++round) fills.push_back(BareFillMs(width, height, per_round));
  const double fill_ms = bench::Median(fills);
  std::printf("layered_repaint: installer window %d x %d, %d frames in %d rounds, %lld paints, %.3f ms per frame\n",
              width, height, per_round * kRounds, kRounds, paints, bench::Median(frame_ms));
  if (paints < per_round * kRounds) {
    std::printf("FAILED: not every frame repainted the window\n");
    return 1;
  }
  bench::PrintFigure("installer window frame, layout + tree paint", bench::Median(render_ms), "ms",
                     "bare GDI+ fill of the surface", fill_ms);
  bench::PrintFigure("installer window frame, UpdateLayeredWindow", bench::Median(present_ms), "ms",
                     "bare GDI+ fill of the surface", fill_ms);
  return 0;
}
