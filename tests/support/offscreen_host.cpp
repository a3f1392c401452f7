#include "ui/offscreen_host.h"

#include <objidl.h>

#include <gdiplus.h>

#include <vector>

#include "ui/box.h"
#include "ui/control.h"
#include "ui/gdiplus_render_context.h"
#include "ui/global_resources.h"
#include "ui/render_context.h"
#include "ui/render_factory.h"

namespace ui {
namespace {

void RegisterTree(IControlHost* host, Control* control) {
  if (!control->GetName().empty()) host->RegisterControlName(control);
  if (Box* box = dynamic_cast<Box*>(control)) {
    for (Control* child : box->GetItems()) RegisterTree(host, child);
  }
}

bool FindPngEncoder(CLSID* clsid) {
  UINT count = 0, bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
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

}  // namespace

OffscreenHost::OffscreenHost(int width, int height) : width_(width), height_(height) {
  if (IRenderFactory* factory = GlobalResources::GetRenderFactory())
    render_ = factory->CreateRenderContext();
  if (!render_) {
    render_ = std::make_unique<RenderContext_GdiPlus>(&GlobalResources::GetFontTable(),
                                                      &GlobalResources::GetColorTable());
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
  hover_ = pressed_ = focus_ = nullptr;
  root_.reset();
  names_.clear();
  root_.reset(root);
  if (!root) return;
  root->SetWindow(this, nullptr, false);
  root->Init();
  RegisterTree(this, root);
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
  Box::ArrangePending(root_.get(), GetClientRect());
}

void OffscreenHost::PaintAll() {
  LayoutIfNeeded();
  render_->Clear();
  if (root_) root_->Paint(render_.get(), GetClientRect());
  ResetInvalidRect();
}

void OffscreenHost::MouseMove(POINT pt) {
  last_mouse_ = pt;
  Control* now = ControlAt(pt);
  if (now != hover_) {
    // The hover pointer moves first, so a box the mouse is still inside can
    // tell that the leave of its child does not concern it.
    Control* old = hover_;
    hover_ = now;
    if (old) old->SendEvent(kEventMouseLeave, 0, 0, 0, pt);
    if (now && hover_ == now) now->SendEvent(kEventMouseEnter, 0, 0, 0, pt);
  }
  Control* target = pressed_ ? pressed_ : hover_;
  if (target) target->SendEvent(kEventMouseMove, 0, 0, 0, pt);
}

void OffscreenHost::ButtonDown(POINT pt) {
  last_mouse_ = pt;
  Control* control = ControlAt(pt);
  if (!control) return;
  focus_ = control;
  pressed_ = control;
  SetCapture();
  control->SendEvent(kEventMouseButtonDown, 0, 0, 0, pt);
}

void OffscreenHost::ButtonUp(POINT pt) {
  last_mouse_ = pt;
  ReleaseCapture();
  Control* control = pressed_;
  pressed_ = nullptr;
  if (control) control->SendEvent(kEventMouseButtonUp, 0, 0, 0, pt);
}

void OffscreenHost::Click(POINT pt) {
  MouseMove(pt);
  ButtonDown(pt);
  ButtonUp(pt);
}

Control* OffscreenHost::ControlAt(POINT pt) const {
  if (!root_) return nullptr;
  return root_->LocateControl(nullptr, pt, kFindVisible | kFindHitTest | kFindTopFirst);
}

DWORD OffscreenHost::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= render_->GetWidth() || y >= render_->GetHeight()) return 0;
  ::GdiFlush();  // GDI batches drawing; read the pixels once it is done
  const BYTE* p = render_->GetBits() + (static_cast<size_t>(y) * render_->GetWidth() + x) * 4;
  return (DWORD(p[3]) << 24) | (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
}

bool OffscreenHost::SavePng(const std::wstring& path) const {
  CLSID png;
  if (!FindPngEncoder(&png)) return false;
  ::GdiFlush();
  Gdiplus::Bitmap bitmap(render_->GetWidth(), render_->GetHeight(), render_->GetWidth() * 4,
                         PixelFormat32bppPARGB, render_->GetBits());
  return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

void OffscreenHost::FireTimers() {
  std::vector<UINT_PTR> ids;
  for (const auto& entry : timers_) ids.push_back(entry.first);
  for (UINT_PTR id : ids) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;
    std::function<void()> task = it->second.task;
    if (!it->second.repeat) timers_.erase(it);
    if (task) task();
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

void OffscreenHost::RegisterControlName(Control* control) {
  if (control && !control->GetName().empty()) names_[control->GetName()] = control;
}

void OffscreenHost::UnregisterControl(Control* control) {
  for (auto it = names_.begin(); it != names_.end();) {
    if (it->second == control)
      it = names_.erase(it);
    else
      ++it;
  }
  if (hover_ == control) hover_ = nullptr;
  if (pressed_ == control) pressed_ = nullptr;
  if (focus_ == control) focus_ = nullptr;
}

Control* OffscreenHost::FindControl(const std::wstring& name) const {
  auto it = names_.find(name);
  return it == names_.end() ? nullptr : it->second;
}

std::wstring OffscreenHost::GetClassAttributes(const std::wstring& class_name) const {
  auto it = classes_.find(class_name);
  return it == classes_.end() ? std::wstring() : it->second;
}

UINT_PTR OffscreenHost::StartTimer(std::function<void()> task, UINT, bool repeat) {
  UINT_PTR id = next_timer_++;
  timers_[id] = Timer{std::move(task), repeat};
  return id;
}

void OffscreenHost::StopTimer(UINT_PTR timer_id) { timers_.erase(timer_id); }

void OffscreenHost::SendMenuEvent(Control* control) {
  if (control) control->SendEvent(kEventMouseMenu, 0, 0, 0, last_mouse_);
}

}  // namespace ui
