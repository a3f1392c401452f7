// Layout and paint cost of a control tree the size of the installer's main
// window (about 40 controls: title row, start view with its custom-options
// area, installing view, finished view), on a 988 x 653 surface.
//
// Prints arrange passes per second (with cached size estimates, and with
// every estimate stale), full paints per second, and as the baseline in the
// same run a bare GDI+ fill of the whole surface; the ratios say how many
// baseline fills one pass or paint costs.
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

#include "ui/box.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/color_table.h"
#include "ui/control.h"
#include "ui/font_table.h"
#include "ui/global_resources.h"
#include "ui/image_info.h"
#include "ui/label.h"
#include "ui/offscreen_host.h"
#include "ui/render_context.h"

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs `work` repeatedly for about `seconds`; returns runs per second.
double Rate(double seconds, const std::function<void()>& work) {
  work();  // warm caches (image decoding, fonts)
  int runs = 0;
  const double start = Now();
  double elapsed = 0;
  do {
    work();
    ++runs;
    elapsed = Now() - start;
  } while (elapsed < seconds);
  return runs / elapsed;
}

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, bytes = 0;
  Gdiplus::GetImageEncodersSize(&count, &bytes);
  std::vector<BYTE> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// A w x h PNG with a translucent border and an opaque inside, so drawing it
// exercises per-pixel alpha like the skin's images.
std::wstring MakeImage(const std::wstring& folder, const std::wstring& name, int w, int h,
                       DWORD argb) {
  std::wstring path = folder + name + L".png";
  Gdiplus::Bitmap bitmap(w, h, PixelFormat32bppARGB);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool edge = x < 2 || y < 2 || x >= w - 2 || y >= h - 2;
      bitmap.SetPixel(x, y, Gdiplus::Color(edge ? (argb & 0x00FFFFFF) | 0x40000000 : argb));
    }
  }
  CLSID png;
  if (PngEncoder(&png)) bitmap.Save(path.c_str(), &png, nullptr);
  return path;
}

template <typename T>
T* Make(ui::Box* parent, const std::wstring& attributes) {
  T* control = new T();
  control->ApplyAttributeText(attributes);
  parent->Add(control);
  return control;
}

// The installer's main skin, control for control, with generated images.
ui::Control* BuildTree(const std::wstring& images, int* count) {
  auto img = [&](const std::wstring& name, int w, int h, DWORD argb) {
    return MakeImage(images, name, w, h, argb);
  };
  const std::wstring bg = img(L"bg", 988, 653, 0xFFF4F7FB);
  const std::wstring logo_small = img(L"logo_small", 125, 32, 0xFF2060C0);
  const std::wstring logo_big = img(L"logo_big", 300, 120, 0xFF2060C0);
  const std::wstring icon = img(L"icon", 16, 16, 0xFF8E99A6);
  const std::wstring button = img(L"button", 60, 54, 0xFF00BB96);
  const std::wstring picture = img(L"picture", 577, 382, 0xFFCCDDEE);
  const std::wstring track = img(L"track", 20, 10, 0xFFE0E0E0);
  const std::wstring fill = img(L"fill", 20, 10, 0xFF00BB96);
  const std::wstring done = img(L"done", 240, 240, 0xFF00BB96);
  const std::wstring check = img(L"check", 16, 16, 0xFF00BB96);
  auto file = [](const std::wstring& path, const std::wstring& extra = L"") {
    return L"file='" + path + L"'" + extra;
  };
  const std::wstring button_image = file(button, L" corner='10,10,10,10'");

  auto* root = new ui::VBox();
  root->ApplyAttributeText(L"bkimage=\"" + file(bg, L" corner='30,30,30,30'") +
                           L"\" borderround=\"20,20\"");
  auto* title = Make<ui::HBox>(root, L"width=\"stretch\" height=\"65\"");
  Make<ui::Label>(title, L"name=\"logo_row_icon\" width=\"125\" height=\"32\" margin=\"30,30,0,0\" "
                         L"mouse=\"false\" visible=\"false\" bkimage=\"" + logo_small + L"\"");
  Make<ui::Control>(title, L"");
  Make<ui::Button>(title, L"name=\"minbtn\" width=\"auto\" height=\"auto\" margin=\"30,30,0,30\" "
                          L"normalimage=\"" + icon + L"\" hotimage=\"" + icon + L"\"");
  Make<ui::Button>(title, L"name=\"close_btn\" width=\"auto\" height=\"auto\" margin=\"30,30,30,0\" "
                          L"normalimage=\"" + icon + L"\" hotimage=\"" + icon + L"\"");

  auto* begin = Make<ui::VBox>(root, L"name=\"begin_state\"");
  Make<ui::Label>(begin, L"name=\"logo_column_icon\" width=\"auto\" height=\"auto\" "
                         L"margin=\"0,107,0,0\" halign=\"center\" bkimage=\"" + logo_big + L"\"");
  Make<ui::Button>(begin, L"name=\"install_btn\" width=\"216\" height=\"54\" margin=\"0,50,0,0\" "
                          L"halign=\"center\" font=\"system_22\" text=\"立即安装\" "
                          L"normaltextcolor=\"white\" align=\"vcenter\" normalimage=\"" +
                              button_image + L"\" hotimage=\"" + button_image + L"\"");
  auto* to_change = Make<ui::Box>(begin, L"name=\"to_change_area\" height=\"auto\" margin=\"0,30,0,0\"");
  Make<ui::Button>(to_change, L"name=\"show_change_icon\" width=\"auto\" height=\"auto\" "
                              L"halign=\"center\" margin=\"-100,0,0,0\" normalimage=\"" + icon + L"\"");
  Make<ui::Button>(to_change, L"name=\"show_change_btn\" width=\"auto\" height=\"auto\" "
                              L"halign=\"center\" margin=\"30,0,0,0\" font=\"system_18\" "
                              L"text=\"自定义选项\" normaltextcolor=\"green\"");
  auto* change = Make<ui::VBox>(begin, L"name=\"change_area\" height=\"auto\" margin=\"0,54,0,0\"");
  auto* select = Make<ui::ButtonBox>(change, L"name=\"select_btn\" width=\"370\" height=\"37\" "
                                             L"halign=\"center\" bordercolor=\"light_gray\" "
                                             L"bordersize=\"0,1,0,1\"");
  Make<ui::Label>(select, L"name=\"dir_label\" width=\"320\" height=\"37\" mouse=\"false\" "
                          L"endellipsis=\"true\" align=\"vcenter\" font=\"system_14\" "
                          L"text=\"C:\\Program Files (x86)\\orvanecloud\"");
  Make<ui::Label>(select, L"name=\"dir_btn\" width=\"auto\" height=\"auto\" mouse=\"false\" "
                          L"halign=\"right\" valign=\"center\" bkimage=\"" + icon + L"\"");
  auto* collapse = Make<ui::Box>(change, L"height=\"auto\" margin=\"0,20,0,0\"");
  Make<ui::Button>(collapse, L"name=\"hidden_change_icon\" width=\"auto\" height=\"auto\" "
                             L"halign=\"center\" margin=\"-100,0,0,0\" normalimage=\"" + icon + L"\"");
  Make<ui::Button>(collapse, L"name=\"hidden_change_btn\" width=\"auto\" height=\"auto\" "
                             L"halign=\"center\" margin=\"30,0,0,0\" font=\"system_18\" "
                             L"text=\"自定义选项\" normaltextcolor=\"green\"");

  auto* installing = Make<ui::VBox>(root, L"name=\"installing_state\" visible=\"false\"");
  Make<ui::Label>(installing, L"width=\"auto\" height=\"auto\" halign=\"center\" "
                              L"margin=\"0,20,0,0\" font=\"system_bold_36\" text=\"云桌面解决方案\"");
  Make<ui::Label>(installing, L"width=\"auto\" height=\"auto\" halign=\"center\" "
                              L"font=\"system_16\" normaltextcolor=\"gray\" "
                              L"text=\"云图形工作站 随时释放创意灵感\"");
  Make<ui::Label>(installing, L"width=\"577\" height=\"382\" halign=\"center\" bkimage=\"" +
                                  picture + L"\"");
  Make<ui::Label>(installing, L"name=\"status_label\" width=\"auto\" height=\"auto\" "
                              L"margin=\"56,10,0,0\" text=\"下载中...\" font=\"system_14\"");
  auto* bar = Make<ui::HBox>(installing, L"height=\"auto\" margin=\"56,10,0,0\"");
  auto* tracks = Make<ui::Box>(bar, L"width=\"auto\" height=\"auto\"");
  Make<ui::Control>(tracks, L"name=\"progress_progress_line2\" width=\"840\" minwidth=\"840\" "
                            L"maxwidth=\"840\" height=\"10\" bkimage=\"" +
                                file(track, L" corner='5,0,5,0'") + L"\"");
  Make<ui::Control>(tracks, L"name=\"progress_progress_line\" float=\"true\" width=\"300\" "
                            L"minwidth=\"10\" maxwidth=\"900\" height=\"10\" bkimage=\"" +
                                file(fill, L" corner='5,0,5,0'") + L"\"");
  Make<ui::Label>(bar, L"name=\"progress_value\" width=\"50\" height=\"auto\" text=\"36%\" "
                       L"margin=\"10,0,0,0\" font=\"system_14\"");

  auto* finished = Make<ui::VBox>(root, L"name=\"finally_state\" visible=\"false\"");
  Make<ui::Label>(finished, L"width=\"240\" height=\"240\" halign=\"center\" margin=\"0,60,0,0\" "
                            L"bkimage=\"" + done + L"\"");
  Make<ui::Button>(finished, L"name=\"done_btn\" width=\"216\" height=\"54\" halign=\"center\" "
                             L"margin=\"0,50,0,0\" text=\"安装已完成\" font=\"system_bold_14\" "
                             L"normalimage=\"" + button_image + L"\"");
  Make<ui::CheckBox>(finished, L"name=\"run_check\" width=\"auto\" height=\"16\" halign=\"center\" "
                               L"margin=\"0,20,0,0\" textpadding=\"22,0,0,0\" font=\"system_14\" "
                               L"text=\"运行Orvane客户端\" selected=\"true\" normalimage=\"" +
                                   file(check, L" dest='0,0,16,16'") +
                                   L"\" selectednormalimage=\"" + file(check, L" dest='0,0,16,16'") +
                                   L"\"");

  std::function<int(ui::Control*)> count_tree = [&](ui::Control* c) {
    int n = 1;
    if (auto* box = dynamic_cast<ui::Box*>(c))
      for (ui::Control* child : box->GetItems()) n += count_tree(child);
    return n;
  };
  *count = count_tree(root);
  return root;
}

void MarkStale(ui::Control* c) {
  c->SetEstimateStale();
  if (auto* box = dynamic_cast<ui::Box*>(c))
    for (ui::Control* child : box->GetItems()) MarkStale(child);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? _wtof(argv[1]) : 1.0;
  ui::GlobalResources::Startup(L"bench_resources\\", {}, false, L"themes\\default",
                               L"lang\\zh_CN");
  ui::FontTable& fonts = ui::GlobalResources::GetFontTable();
  fonts.AddFont(L"system_12", L"system", 12, false, false, false, true);
  fonts.AddFont(L"system_14", L"system", 14, false, false, false, false);
  fonts.AddFont(L"system_16", L"system", 16, false, false, false, false);
  fonts.AddFont(L"system_18", L"system", 18, false, false, false, false);
  fonts.AddFont(L"system_22", L"system", 22, false, false, false, false);
  fonts.AddFont(L"system_bold_14", L"system", 14, true, false, false, false);
  fonts.AddFont(L"system_bold_36", L"system", 36, true, false, false, false);
  ui::ColorTable& colors = ui::GlobalResources::GetColorTable();
  colors.AddColor(L"white", L"#ffffffff");
  colors.AddColor(L"green", L"#ff00bb96");
  colors.AddColor(L"gray", L"#ff8e99a6");
  colors.AddColor(L"light_gray", L"#ffa8a8a8");
  colors.AddColor(L"textdefaultcolor", L"#ff333333");
  colors.AddColor(L"textdefaultdisablecolor", L"#ffa1aebc");

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring images = std::wstring(temp) + L"orvane_bench_layout\\";
  ::CreateDirectoryW(images.c_str(), nullptr);

  const int width = 988, height = 653;
  ui::OffscreenHost host(width, height);
  int controls = 0;
  host.AttachRoot(BuildTree(images, &controls));
  host.PaintAll();
  const RECT client = host.GetClientRect();
  ui::Control* root = host.GetRoot();
  ui::IRenderContext* render = host.GetRenderContext();

  const double fill = Rate(seconds, [&] {
    Gdiplus::Graphics graphics(render->GetDC());
    Gdiplus::SolidBrush brush(Gdiplus::Color(0xFFF4F7FB));
    graphics.FillRectangle(&brush, 0, 0, width, height);
    ::GdiFlush();
  });
  // Second baseline: one full-surface blend of the window's background
  // image, the largest single drawing step of a paint.
  std::shared_ptr<ui::ImageInfo> background =
      ui::GlobalResources::LookupImage(images + L"bg.png");
  const double blend = Rate(seconds, [&] {
    if (background)
      render->DrawImage(client, background->GetBitmap(0), background->HasAlpha(), client,
                        RECT{0, 0, background->GetWidth(), background->GetHeight()},
                        RECT{0, 0, 0, 0});
    ::GdiFlush();
  });
  const double arrange_cached = Rate(seconds, [&] { root->SetPos(client); });
  const double arrange_stale = Rate(seconds, [&] {
    MarkStale(root);
    root->SetPos(client);
  });
  const double paint = Rate(seconds, [&] {
    host.PaintAll();
    ::GdiFlush();
  });
  // The installing view: a different set of images and texts.
  host.GetRoot()->SetEstimateStale();
  host.FindControl(L"begin_state")->SetVisible(false);
  host.FindControl(L"installing_state")->SetVisible(true);
  const double paint_installing = Rate(seconds, [&] {
    host.PaintAll();
    ::GdiFlush();
  });

  std::printf("layout_paint: tree of %d controls, surface %d x %d\n", controls, width, height);
  std::printf("  baseline  bare GDI+ fill of the surface   %10.0f /s\n", fill);
  std::printf("  baseline  one full-surface image blend     %10.0f /s\n", blend);
  std::printf("  arrange   cached estimates               %10.0f /s  (%.3f fills per pass)\n",
              arrange_cached, fill / arrange_cached);
  std::printf("  arrange   all estimates stale            %10.0f /s  (%.3f fills per pass)\n",
              arrange_stale, fill / arrange_stale);
  std::printf("  paint     start view, full surface       %10.0f /s  (%.2f fills, %.2f blends per paint)\n",
              paint, fill / paint, blend / paint);
  std::printf("  paint     installing view, full surface  %10.0f /s  (%.2f fills, %.2f blends per paint)\n",
              paint_installing, fill / paint_installing, blend / paint_installing);
  return 0;
}
