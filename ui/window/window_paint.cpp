#include "ui/window/window_paint.h"

#include "base/startup_trace.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/render/render_context.h"
#include "ui/render/render_factory.h"
#include "ui/resources/global_resources.h"
#include "ui/window/shadow.h"

namespace ui {
namespace {

RECT ClientRect(HWND hwnd) {
  RECT client{};
  ::GetClientRect(hwnd, &client);
  return client;
}

}  // namespace

WindowPainter::WindowPainter() = default;
WindowPainter::~WindowPainter() = default;

double WindowPainter::Now() {
  LARGE_INTEGER frequency{}, counter{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double WindowPainter::ThreadCpuNow() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

WindowPainter::UpdateArea WindowPainter::ReadUpdateArea(HWND hwnd) {
  // More rectangles than this and the box around them is as good.
  constexpr DWORD kMostParts = 8;
  UpdateArea area;
  base::unique_hrgn region(::CreateRectRgn(0, 0, 0, 0));
  if (!region) {
    ::GetUpdateRect(hwnd, &area.bounds, FALSE);
    area.parts = {area.bounds};
    return area;
  }
  const int kind = ::GetUpdateRgn(hwnd, region.get(), FALSE);
  if (kind == ERROR) {
    ::GetUpdateRect(hwnd, &area.bounds, FALSE);
  } else if (kind != NULLREGION) {
    ::GetRgnBox(region.get(), &area.bounds);
  }
  area.parts = {area.bounds};
  if (kind != COMPLEXREGION) return area;
  const DWORD size = ::GetRegionData(region.get(), 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return area;
  std::vector<unsigned char> data(size);
  auto* header = reinterpret_cast<RGNDATA*>(data.data());
  if (::GetRegionData(region.get(), size, header) != size || header->rdh.nCount == 0 ||
      header->rdh.nCount > kMostParts) {
    return area;
  }
  const RECT* rects = reinterpret_cast<const RECT*>(header->Buffer);
  area.parts.assign(rects, rects + header->rdh.nCount);
  return area;
}

RECT WindowPainter::AddOffscreenParts(HWND hwnd, RECT update) {
  if (!virtual_screen_known_) {
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    virtual_screen_ = RECT{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    virtual_screen_known_ = true;
  }
  const RECT client = ClientRect(hwnd);
  RECT window_rect{};
  ::GetWindowRect(hwnd, &window_rect);
  if (window_rect.left < virtual_screen_.left) update.left = client.left;
  if (window_rect.top < virtual_screen_.top) update.top = client.top;
  if (window_rect.right > virtual_screen_.right) update.right = client.right;
  if (window_rect.bottom > virtual_screen_.bottom) update.bottom = client.bottom;
  return update;
}

void WindowPainter::Init(HWND hwnd) {
  if (!window_dc_ && hwnd) window_dc_ = base::unique_hdc_window::For(hwnd);
  // Without a started framework there is nothing to draw with.
  IRenderFactory* factory = GlobalResources::GetRenderFactory();
  if (!render_ && factory) render_ = factory->CreateRenderContext();
}

bool WindowPainter::PaintAndPresent(const TreeFrame& frame, HDC paint_dc, RECT update,
                                    const std::vector<RECT>& parts, bool first_paint, double started) {
  const RECT client = ClientRect(frame.hwnd);
  for (const RECT& part : parts) {
    RECT painted = part;
    if (!RenderTree(frame, &painted)) return false;
    // A resized bitmap was painted whole: the other parts are in it.
    if (::EqualRect(&painted, &client)) {
      update = client;
      break;
    }
  }
  const double rendered = Now();
  if (first_paint) base::MarkStartupPhase("first tree paint");
  const double cpu_before = ThreadCpuNow();
  Present(frame, paint_dc, update);
  PaintCost cost;
  cost.present_cpu_seconds = ThreadCpuNow() - cpu_before;
  if (first_paint) {
    base::MarkStartupPhase("first layered update");
    base::FinishStartupTrace();
  }
  cost.render_seconds = rendered - started;
  cost.present_seconds = Now() - rendered;
  if (on_paint) on_paint(cost);
  return true;
}

bool WindowPainter::RenderTree(const TreeFrame& frame, RECT* update_rect) {
  RECT& update = *update_rect;
  const RECT client = ClientRect(frame.hwnd);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  Control* root = frame.root;
  if (width <= 0 || height <= 0 || !root || !render_) return false;
  if (render_->Resize(width, height)) {
    render_->Clear();
    update = client;
  }
  render_->SetRenderTransparent(frame.layered);
  if (frame.layered) render_->ClearAlpha(update, 0);

  render_->SetClip(update);
  const POINT old_origin = render_->OffsetWindowOrg(frame.render_offset);
  root->Paint(render_.get(), update);
  render_->SetWindowOrg(old_origin);
  render_->ClearClip();
  if (!frame.layered) return true;

  // Text and edges that GDI draws leave alpha 0; give those pixels their
  // alpha back, but keep the window's transparent corners.
  const RECT& corner = frame.alpha_fix_corner;
  if (frame.shadow && frame.shadow->IsAttached() && frame.render_offset.x == 0 &&
      frame.render_offset.y == 0) {
    ShadowBox* box = frame.shadow->GetShadowBox();
    Control* content = box && box->GetCount() > 0 ? box->GetItemAt(0) : root;
    RECT fix{};
    if (::IntersectRect(&fix, &update, &content->GetPos())) {
      const SIZE round = content->GetBorderRound();
      const RECT corners{round.cx, round.cy, round.cx, round.cy};
      render_->RestoreAlpha(fix, corners);
    }
  } else if (corner.left > 0 || corner.top > 0 || corner.right > 0 || corner.bottom > 0) {
    RECT inner = root->GetPos();
    inner.left += corner.left;
    inner.top += corner.top;
    inner.right -= corner.right;
    inner.bottom -= corner.bottom;
    RECT fix{};
    if (::IntersectRect(&fix, &update, &inner)) render_->RestoreAlpha(fix, RECT{0, 0, 0, 0});
  }
  return true;
}

void WindowPainter::Present(const TreeFrame& frame, HDC paint_dc, const RECT& update) {
  if (!frame.layered) {
    ::BitBlt(paint_dc, update.left, update.top, update.right - update.left,
             update.bottom - update.top, render_->GetDC(), update.left, update.top, SRCCOPY);
    return;
  }
  const RECT client = ClientRect(frame.hwnd);
  RECT window_rect{};
  ::GetWindowRect(frame.hwnd, &window_rect);
  POINT destination{window_rect.left, window_rect.top};
  SIZE size{client.right - client.left, client.bottom - client.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, frame.alpha, AC_SRC_ALPHA};
  // The system keeps what the window showed before, so only the rectangle
  // painted now needs blending and sending to the display: a progress step
  // is a few hundred pixels of a window of 650 thousand. The whole window
  // goes when nothing was presented at this size yet or the window's alpha
  // changed, since then every pixel on screen is stale.
  RECT dirty = update;
  if (presented_size_.cx != size.cx || presented_size_.cy != size.cy ||
      presented_alpha_ != frame.alpha) {
    dirty = client;
  }
  UPDATELAYEREDWINDOWINFO info{};
  info.cbSize = sizeof(info);
  info.pptDst = &destination;
  info.psize = &size;
  info.hdcSrc = render_->GetDC();
  info.pptSrc = &source;
  info.pblend = &blend;
  info.dwFlags = ULW_ALPHA;
  info.prcDirty = &dirty;
  if (::UpdateLayeredWindowIndirect(frame.hwnd, &info)) {
    presented_size_ = size;
    presented_alpha_ = frame.alpha;
  } else {
    presented_size_ = SIZE{0, 0};
  }
}

}  // namespace ui
