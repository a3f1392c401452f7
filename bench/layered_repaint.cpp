// Repaint rate of a 988 x 653 layered skinned window while one control
// changes every frame (the way the installer's progress bar does), split
// into painting the tree and handing the bitmap to UpdateLayeredWindow,
// against a bare GDI+ fill of a surface of the same size in the same run.
//
// Needs a display (run it under the test session's Xvfb).
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "ui/control.h"
#include "ui/global_resources.h"
#include "ui/render_context.h"
#include "ui/window_impl_base.h"

namespace {

constexpr int kWidth = 988;
constexpr int kHeight = 653;
constexpr int kFrames = 300;

constexpr char kGlobal[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Global>
  <Font id="system_14" name="微软雅黑" size="14" default="true"/>
  <Font id="system_22" name="微软雅黑" size="22"/>
  <TextColor name="white" value="#ffffffff"/>
  <TextColor name="green" value="#ff00bb96"/>
  <TextColor name="grey" value="#ffdddddd"/>
  <TextColor name="textdefaultcolor" value="#ff333333"/>
</Global>
)";

// The installer's window in miniature: a title, a headline, a status text,
// a progress track with a floating fill and a percentage.
constexpr char kSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window shadowattached="false" size="988,653" roundcorner="20,20" caption="0,0,0,172">
  <VBox bkcolor="white">
    <HBox height="65"><Label text="Orvane" font="system_22" margin="30,20,0,0"/></HBox>
    <Label text="云桌面解决方案" font="system_22" halign="center" margin="0,100,0,0"/>
    <Label name="status" text="下载中..." margin="56,200,0,0"/>
    <Box height="10" width="900" margin="44,10,0,0">
      <Control bkcolor="grey"/>
      <Control name="bar" bkcolor="green" float="true" width="10" height="10"/>
    </Box>
    <Label name="percent" text="0%" width="50" margin="56,10,0,0"/>
  </VBox>
</Window>
)";

void WriteFile(const std::wstring& path, const char* text) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  ::CloseHandle(file);
}

class BenchWindow : public ui::WindowImplBase {
 public:
  std::wstring WindowClassName() const override { return L"OrvaneLayeredBench"; }
  std::wstring SkinFolder() override { return L"bench"; }
  std::wstring SkinFile() override { return L"bench.xml"; }
  void OnFinalMessage(HWND) override {}  // the benchmark owns the object
};

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Pump(DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < ms) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(1);
  }
}

// Fills a 988 x 653 32-bit DIB with GDI+ once per frame: the floor any
// software repaint of that surface stands on.
double BareFillMs() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  const double start = Now();
  for (int i = 0; i < kFrames; ++i) {
    Gdiplus::Graphics graphics(dc);
    Gdiplus::SolidBrush brush(Gdiplus::Color(255, 255, 255, static_cast<BYTE>(i)));
    graphics.FillRectangle(&brush, 0, 0, kWidth, kHeight);
  }
  const double per_frame = (Now() - start) / kFrames;
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return per_frame;
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"orvane_layered_bench\\";
  ::CreateDirectoryW(root.c_str(), nullptr);
  ::CreateDirectoryW((root + L"bench").c_str(), nullptr);
  WriteFile(root + L"global.xml", kGlobal);
  WriteFile(root + L"bench\\bench.xml", kSkin);
  if (!ui::GlobalResources::Startup(root, {}, false, L"", L"lang")) {
    std::printf("layered_repaint: the UI framework did not start\n");
    return 1;
  }

  BenchWindow window;
  HWND hwnd = window.OpenWindow(nullptr, L"Orvane bench", 0x00CE0000, 0, true,
                                RECT{0, 0, 0, 0});
  if (!hwnd) {
    std::printf("layered_repaint: no window (is a display set?)\n");
    return 1;
  }
  window.ShowOnScreen(true, false);
  Pump(500);  // first paint and the 250 ms fade-in
  ui::Control* bar = window.FindControl(std::wstring(L"bar"));
  ui::Control* percent = window.FindControl(std::wstring(L"percent"));
  if (!bar || !percent) return 1;

  // Whole frames: the bar grows, its area is invalidated, and the paint
  // (layout, tree painting, UpdateLayeredWindow) runs synchronously.
  const double frames_start = Now();
  for (int i = 0; i < kFrames; ++i) {
    bar->SetFixedWidth(10 + (i * 3) % 890);
    ::UpdateWindow(hwnd);
  }
  const double frame_ms = (Now() - frames_start) / kFrames;

  // UpdateLayeredWindow alone, with the same bitmap and parameters.
  ui::IRenderContext* render = window.GetRenderContext();
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  POINT destination{rect.left, rect.top};
  SIZE size{render->GetWidth(), render->GetHeight()};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const double ulw_start = Now();
  for (int i = 0; i < kFrames; ++i) {
    ::UpdateLayeredWindow(hwnd, nullptr, &destination, &size, render->GetDC(), &source, 0,
                          &blend, ULW_ALPHA);
  }
  const double ulw_ms = (Now() - ulw_start) / kFrames;
  const double paint_ms = frame_ms > ulw_ms ? frame_ms - ulw_ms : 0;
  const double fill_ms = BareFillMs();

  std::printf("layered_repaint: %d x %d layered window, %d frames, one control changing per frame\n",
              static_cast<int>(size.cx), static_cast<int>(size.cy), kFrames);
  std::printf("  frame                 %8.3f ms  (%.1f frames/s)\n", frame_ms, 1000.0 / frame_ms);
  std::printf("    paint (layout+tree) %8.3f ms\n", paint_ms);
  std::printf("    UpdateLayeredWindow %8.3f ms\n", ulw_ms);
  std::printf("  bare GDI+ fill        %8.3f ms  (%.1f fills/s)\n", fill_ms, 1000.0 / fill_ms);
  std::printf("  frame / bare fill     %8.2f x\n", frame_ms / fill_ms);
  ::DestroyWindow(hwnd);
  return 0;
}
