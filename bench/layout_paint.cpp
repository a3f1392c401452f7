// Layout and paint cost of the installer's main skin: basic\basic.xml
// built from the skin archive the program carries (THEME 131, linked into
// this benchmark), with its global.xml fonts, colours and classes and its
// images, on a surface of the window's size from the skin.
//
// Prints, in milliseconds per operation, arrange passes (with cached size
// estimates, and with every estimate stale) and full paints of the start and
// the installing view, against a bare GDI+ fill of the same surface measured
// in the same run; a full-surface blend of the window's background image is
// shown as a second reference.
//
// Usage: bench_layout_paint.exe [SECONDS_PER_FIGURE]
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/bench_clock.h"
#include "bench/support/figure.h"
#include "support/offscreen_host.h"
#include "ui/builder/skin_builder.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_resources.h"
#include "ui/resources/image_info.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/markup/markup_node.h"

namespace {

constexpr wchar_t kSkin[] = L"basic\\basic.xml";

// Runs `work` repeatedly for about `seconds` in three rounds; returns the
// median of the rounds' milliseconds per run.
double MsPerRun(double seconds, const std::function<void()>& work) {
  work();  // warm caches (image decoding, fonts)
  std::vector<double> rounds;
  for (int round = 0; round < 3; ++round) {
    int runs = 0;
    const double start = bench::Seconds();
    double elapsed = 0;
    do {
      work();
      ++runs;
      elapsed = bench::Seconds() - start;
    } while (elapsed < seconds / 3);
    rounds.push_back(elapsed * 1000 / runs);
  }
  return bench::Median(rounds);
}

int CountControls(ui::Control* control) {
  int n = 1;
  if (auto* box = dynamic_cast<ui::Box*>(control))
    for (const auto& child : box->GetItems()) n += CountControls(child.get());
  return n;
}

void MarkStale(ui::Control* c) {
  c->SetEstimateStale();
  if (auto* box = dynamic_cast<ui::Box*>(c))
    for (const auto& child : box->GetItems()) MarkStale(child.get());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? _wtof(argv[1]) : 1.0;
  // As the installer starts its user interface.
  if (!ui::GlobalResources::OpenSkinArchive(std::string())) {
    std::printf("layout_paint: the program's skin archive did not open\n");
    return 1;
  }
  ui::GlobalResources::Startup(L"resources\\", {}, false, L"themes\\default", L"lang\\zh_CN");

  // The window's size as the skin declares it.
  ui::MarkupDocument document;
  int width = 0, height = 0;
  if (!ui::GlobalResources::ReadSkinDocument(kSkin, &document) ||
      std::swscanf(document.GetRoot().GetAttributeValue(L"size").c_str(), L"%d,%d", &width,
                   &height) != 2) {
    std::printf("layout_paint: no window size in the skin\n");
    return 1;
  }
  test_support::OffscreenHost host(width, height);
  host.SetResourceSubPath(L"basic\\");
  ui::SkinBuilder builder;
  ui::Control* built = builder.Create(kSkin, {}, &host);
  if (!built) {
    std::printf("layout_paint: the skin did not build\n");
    return 1;
  }
  host.AttachRoot(built);
  ui::Control* begin = host.FindControl(L"begin_state");
  ui::Control* installing = host.FindControl(L"installing_state");
  if (!begin || !installing || !host.FindControl(L"progress_progress_line")) {
    std::printf("layout_paint: the skin lacks the installer's views\n");
    return 1;
  }
  host.PaintAll();
  const RECT client = host.GetClientRect();
  ui::Control* root = host.GetRoot();
  ui::IRenderContext* render = host.GetRenderContext();

  const double fill = MsPerRun(seconds, [&] {
    Gdiplus::Graphics graphics(render->GetDC());
    Gdiplus::SolidBrush brush(Gdiplus::Color(0xFFF4F7FB));
    graphics.FillRectangle(&brush, 0, 0, width, height);
    ::GdiFlush();
  });
  // The largest single drawing step of a paint: the window's background.
  std::shared_ptr<ui::ImageInfo> background = ui::GlobalResources::LookupImage(
      ui::GlobalResources::GetResourcePath() + L"basic\\images\\bg_with_shadow.png");
  const double blend = MsPerRun(seconds, [&] {
    if (background)
      render->DrawImage(client, background->GetBitmap(0), background->HasAlpha(), client,
                        RECT{0, 0, background->GetWidth(), background->GetHeight()},
                        RECT{0, 0, 0, 0});
    ::GdiFlush();
  });
  const double arrange_cached = MsPerRun(seconds, [&] { root->SetPos(client); });
  const double arrange_stale = MsPerRun(seconds, [&] {
    MarkStale(root);
    root->SetPos(client);
  });
  const double paint_start = MsPerRun(seconds, [&] {
    host.PaintAll();
    ::GdiFlush();
  });
  // The installing view, as the install button shows it.
  begin->SetVisible(false);
  installing->SetVisible(true);
  const double paint_installing = MsPerRun(seconds, [&] {
    host.PaintAll();
    ::GdiFlush();
  });

  std::printf("layout_paint: basic.xml from the skin archive, %d controls, surface %d x %d%s\n",
              CountControls(root), width, height,
              background ? "" : " (background image NOT FOUND)");
  std::printf("  one full-surface blend of the background image: %.3f ms\n", blend);
  bench::PrintFigure("main skin, arrange pass, cached estimates", arrange_cached, "ms",
                     "bare GDI+ fill of the surface", fill);
  bench::PrintFigure("main skin, arrange pass, estimates stale", arrange_stale, "ms",
                     "bare GDI+ fill of the surface", fill);
  bench::PrintFigure("main skin, full paint, start view", paint_start, "ms",
                     "bare GDI+ fill of the surface", fill);
  bench::PrintFigure("main skin, full paint, installing view", paint_installing, "ms",
                     "bare GDI+ fill of the surface", fill);
  return background ? 0 : 1;
}
