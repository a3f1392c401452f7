#include "support/offscreen_host.h"

#include "support/png_file.h"
#include "ui/controls/control.h"
#include "ui/controls/control_tree.h"
#include "ui/render/gdiplus_render_context.h"
#include "ui/render/render_context.h"
#include "ui/render/render_factory.h"
#include "ui/resources/global_resources.h"
#include "ui/resources/skin_tables.h"

namespace test_support {

using ui::GlobalResources;

OffscreenHost::OffscreenHost(int width, int height) : width_(width), height_(height) {
  if (ui::IRenderFactory* factory = GlobalResources::GetRenderFactory())
    render_ = factory->CreateRenderContext();
  if (!render_) {
    render_ = std::make_unique<ui::RenderContext_GdiPlus>(&ui::SkinFonts(), &ui::SkinColors());
  }
  render_->Resize(width_, height_);
  // Drawn like the installer's layered windows: every part keeps its alpha.
  render_->SetRenderTransparent(true);
}

OffscreenHost::~OffscreenHost() {
  // The tree goes first: its controls unregister themselves from this host.
  root_.reset();
}

void OffscreenHost::AttachRoot(Control* root) {
  dispatcher_.Reset();
  captured_ = false;
  root_.reset();
  root_.reset(root);
  if (!root) return;
  root->SetWindow(this, nullptr, false);
  root->Init();
  ui::control_tree::ForEach(root, [this](Control* c) {
    if (!c->GetName().empty()) RegisterControlName(c);
  });
  layout_needed_ = true;
  root->SetNeedsLayout(true);
}

void OffscreenHost::Resize(int width, int height) {
  width_ = width;
  height_ = height;
  render_->Resize(width_, height_);
  if (root_) {
    root_->SetNeedsLayout(true);
    layout_needed_ = true;
  }
}

void OffscreenHost::LayoutIfNeeded() {
  if (!layout_needed_ || !root_) return;
  layout_needed_ = false;
  ++layout_passes_;
  ui::control_tree::ArrangePending(root_.get(), GetClientRect());
}

void OffscreenHost::PaintAll() {
  LayoutIfNeeded();
  render_->Clear();
  if (root_) root_->Paint(render_.get(), GetClientRect());
  ResetInvalidRect();
}

void OffscreenHost::Dispatch(UINT message, WPARAM wparam, POINT pt) {
  LRESULT result = 0;
  dispatcher_.Dispatch(message, wparam, MAKELPARAM(pt.x, pt.y), result);
}

void OffscreenHost::MouseMove(POINT pt) { Dispatch(WM_MOUSEMOVE, 0, pt); }

void OffscreenHost::ButtonDown(POINT pt) { Dispatch(WM_LBUTTONDOWN, MK_LBUTTON, pt); }

void OffscreenHost::ButtonUp(POINT pt) { Dispatch(WM_LBUTTONUP, 0, pt); }

void OffscreenHost::Click(POINT pt) {
  MouseMove(pt);
  ButtonDown(pt);
  ButtonUp(pt);
}

Control* OffscreenHost::ControlAt(POINT pt) const { return dispatcher_.ControlAt(pt); }

DWORD OffscreenHost::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= render_->GetWidth() || y >= render_->GetHeight()) return 0;
  ::GdiFlush();  // GDI batches drawing; read the pixels once it is done
  const BYTE* p = render_->GetBits() + (static_cast<size_t>(y) * render_->GetWidth() + x) * 4;
  return (DWORD(p[3]) << 24) | (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
}

bool OffscreenHost::SavePng(const std::wstring& path) const {
  return SavePremultipliedPng(render_->GetBits(), render_->GetWidth(), render_->GetHeight(),
                              render_->GetWidth() * 4, path);
}

void OffscreenHost::FireTimers() {
  for (UINT_PTR id : registry_.TimerIds()) {
    // Copied: an earlier task may have stopped this timer, and this one may
    // stop its own.
    const auto timer = registry_.FindTimer(id);
    if (!timer) continue;
    if (!timer->repeat) registry_.RemoveTimer(id);
    if (timer->task) timer->task();
  }
}

void OffscreenHost::Invalidate(const RECT& rect) {
  if (::IsRectEmpty(&rect)) return;
  if (::IsRectEmpty(&invalid_)) {
    invalid_ = rect;
  } else {
    RECT merged;
    ::UnionRect(&merged, &invalid_, &rect);
    invalid_ = merged;
  }
}

void OffscreenHost::RegisterControlName(Control* control) { registry_.AddName(control); }

void OffscreenHost::UnregisterControl(Control* control) {
  registry_.RemoveNamesOf(control);
  dispatcher_.Forget(control);
}

Control* OffscreenHost::FindControl(const std::wstring& name) const {
  return registry_.FindName(name);
}

std::wstring OffscreenHost::GetClassAttributes(const std::wstring& class_name) const {
  return registry_.ClassAttributes(class_name);
}

UINT_PTR OffscreenHost::StartTimer(std::function<void()> task, UINT, bool repeat) {
  return registry_.AddTimer(std::move(task), repeat);
}

void OffscreenHost::StopTimer(UINT_PTR timer_id) { registry_.RemoveTimer(timer_id); }

void OffscreenHost::SendMenuEvent(Control* control) {
  if (control) control->SendEvent(ui::kEventMouseMenu, 0, 0, 0, dispatcher_.last_mouse_pos());
}

}  // namespace test_support
