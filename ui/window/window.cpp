#include "ui/window/window.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "base/startup_trace.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/controls/control_tree.h"
#include "ui/resources/global_resources.h"
#include "ui/window/window_class.h"
#include "ui/window/window_os.h"

namespace ui {
namespace {

// Step interval of the alpha fade (about 60 steps a second).
constexpr UINT kFadeStepMs = 16;
// The close request waits this long so the fade-out has finished.
constexpr UINT kCloseDelayMs = 300;

int Scale(int value) { return GlobalResources::ScaleDpi(value); }

RECT ScaleRect(const RECT& r) {
  return RECT{Scale(r.left), Scale(r.top), Scale(r.right), Scale(r.bottom)};
}

// A size from the skin's Window attributes: DPI-scaled when asked, and grown
// by the shadow's padding when the skin gave the size without it.
SIZE FrameSize(int cx, int cy, bool contain_shadow, bool dpi_scale, const Shadow& shadow) {
  if (dpi_scale) {
    cx = Scale(cx);
    cy = Scale(cy);
  }
  if (!contain_shadow && shadow.IsAttached()) {
    const RECT& pad = shadow.GetPadding();
    cx += pad.left + pad.right;
    cy += pad.top + pad.bottom;
  }
  return SIZE{cx, cy};
}

}  // namespace

Window::Window() : dispatcher_(*this) { fade_.Configure(0, 255, 250, 0.3, 0.7); }

Window::~Window() {
  registry_.DeleteQueued();
  // GetRoot() is null while the tree goes.
  std::unique_ptr<Control> root = std::move(root_);
  shadow_.ForgetShadowBox();
  root.reset();
}

// --- overridable behaviour --------------------------------------------------

std::wstring Window::WindowClassName() const { return std::wstring(); }
std::wstring Window::SuperClassName() const { return std::wstring(); }
UINT Window::WindowClassStyle() const { return CS_DBLCLKS; }

HWND Window::OpenWindow(HWND parent, const std::wstring& title, DWORD style, DWORD ex_style,
                        bool layered, const RECT& rect) {
  if (!WindowClass::Register(*this)) return nullptr;
  if (layered) {
    ex_style |= WS_EX_LAYERED;
    layered_ = true;
  }
  const std::wstring class_name = WindowClassName();
  HWND hwnd = ::CreateWindowExW(ex_style, class_name.c_str(), title.c_str(), style, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                nullptr, ::GetModuleHandleW(nullptr),
                                static_cast<NativeWindow*>(this));
  // A failed creation has already run OnFinalMessage, which may have
  // deleted this object: touch no member on that path.
  if (!hwnd) return nullptr;
  const LONG current = ::GetWindowLongW(hwnd, GWL_STYLE);
  if (current & WS_CAPTION) ::SetWindowLongW(hwnd, GWL_STYLE, current & 0xFF3FFFFF);
  return hwnd;
}

void Window::RequestClose(UINT result) {
  if (modal_) {
    modal_ = false;
    if (HWND owner = ::GetWindow(hwnd_, GW_OWNER)) {
      ::EnableWindow(owner, TRUE);
      ::SetFocus(owner);
    }
  }
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  if (root_ && window_os::IsVistaOrLater()) {
    // The content goes at once and the alpha fades back; WM_CLOSE follows when
    // the fade has run its 250 ms.
    closing_ = true;
    root_->SetFadeVisible(false);
    RunFade(false);
    HWND hwnd = hwnd_;
    StartTimer(ToWeakCallback([hwnd, result] { ::PostMessageW(hwnd, WM_CLOSE, result, 0); }),
               kCloseDelayMs, false);
    return;
  }
  ::PostMessageW(hwnd_, WM_CLOSE, result, 0);
}

void Window::ShowOnScreen(bool show, bool take_focus) {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  ::ShowWindow(hwnd_, !show ? SW_HIDE : (take_focus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE));
}

void Window::OnFinalMessage(HWND hwnd) {
  window_os::UnregisterTouch(hwnd);
  EventArgs event(kEventWindowClose, nullptr);
  event.timestamp = ::GetTickCount();
  event.mousePoint = dispatcher_.last_mouse_pos();
  // Copied: a handler may attach another one.
  const std::vector<EventCallback> handlers = close_handlers_;
  for (const EventCallback& handler : handlers) {
    if (handler && !handler(&event)) break;
  }
  DetachTreePointers(root_.get());
  delete this;
}

void Window::PlayOpenFade() {
  if (!root_) return;
  if (window_os::IsVistaOrLater()) {
    fade_.Configure(0, 255, 250, 0.3, 0.7);
    fade_.SetValue(0);
    window_alpha_ = 0;
    RunFade(true);
  }
  root_->SetVisible(true);
}

void Window::RunFade(bool forward) {
  StopTimer(fade_timer_);
  fade_.Start(forward, ::GetTickCount());
  fade_timer_ = StartTimer(ToWeakCallback([this] {
                             OnFadeStep(fade_.Step(::GetTickCount()));
                             if (!fade_.IsRunning()) {
                               StopTimer(fade_timer_);
                               fade_timer_ = 0;
                             }
                           }),
                           kFadeStepMs, true);
  if (!fade_timer_) OnFadeStep(fade_.GetValue());
}

void Window::OnFadeStep(int alpha) {
  window_alpha_ = static_cast<BYTE>(std::clamp(alpha, 0, 255));
  if (root_) Invalidate(root_->GetPos());
  // A layered window repaints as a whole; make sure a paint comes even when
  // the root area is already valid.
  if (layered_ && hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Window::SetTitleText(const std::wstring& text) {
  if (hwnd_) ::SetWindowTextW(hwnd_, text.c_str());
}

// --- placement ----------------------------------------------------------------

void Window::CentreOnScreen() {
  if (!hwnd_) return;
  RECT window_rect{};
  ::GetWindowRect(hwnd_, &window_rect);
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST),
                    &monitor);
  const RECT work = monitor.rcWork;
  RECT reference = work;
  if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &reference);
  const int width = window_rect.right - window_rect.left;
  const int height = window_rect.bottom - window_rect.top;
  int left = (reference.left + reference.right) / 2 - width / 2;
  int top = (reference.top + reference.bottom) / 2 - height / 2;
  if (left < work.left) {
    left = work.left;
  } else if (left + width > work.right) {
    left = work.right - width;
  }
  if (top < work.top) {
    top = work.top;
  } else if (top + height > work.bottom) {
    top = work.bottom - height;
  }
  ::SetWindowPos(hwnd_, nullptr, left, top, -1, -1,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- the control tree -----------------------------------------------------------

bool Window::AttachRoot(std::unique_ptr<Control> root) {
  dispatcher_.Reset();
  ReleaseCapture();
  if (root_) {
    DetachTreePointers(root_.get());
    if (registry_.QueueDelete(std::move(root_)) && hwnd_)
      ::PostMessageW(hwnd_, kMsgDelayedCleanup, 0, 0);
  }
  root_ = std::move(root);
  needs_layout_ = true;
  first_paint_ = true;
  InitControls(root_.get());
  // The first paint lays the tree out; ask for it even though no control
  // has a position to invalidate yet.
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
  return root_ != nullptr;
}

void Window::InitControls(Control* control, Box* parent) {
  if (!control) return;
  // A box hands the window on to its whole subtree.
  control->SetWindow(this, parent, true);
  if (!parent) control->Init();
  control_tree::ForEach(control, [this](Control* c) { RegisterControlName(c); });
}

Control* Window::FindControl(POINT pt) const { return dispatcher_.ControlAt(pt); }

Control* Window::FindControl(const std::wstring& name) const { return registry_.FindName(name); }

void Window::QueueDelayedDelete(Control* control) {
  if (registry_.QueueDelete(control) && hwnd_) ::PostMessageW(hwnd_, kMsgDelayedCleanup, 0, 0);
}

void Window::DetachTreePointers(Control* control) {
  if (!control) return;
  dispatcher_.ForgetSubtree(control);
  control_tree::ForEach(control, [this](Control* c) { registry_.RemoveNamesOf(c); });
}

void Window::AddClass(const std::wstring& name, const std::wstring& attributes) {
  registry_.AddClass(name, attributes);
}

std::wstring Window::GetClassAttributes(const std::wstring& class_name) const {
  return registry_.ClassAttributes(class_name);
}

void Window::AttachWindowClose(EventCallback callback) {
  if (callback) close_handlers_.push_back(std::move(callback));
}

// --- frame settings -------------------------------------------------------------

void Window::SetInitSize(int cx, int cy, bool contain_shadow, bool dpi_scale) {
  init_size_ = FrameSize(cx, cy, contain_shadow, dpi_scale, shadow_);
  if (!root_ && hwnd_) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, init_size_.cx, init_size_.cy,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }
}

void Window::SetMinInfo(int cx, int cy, bool contain_shadow, bool dpi_scale) {
  min_info_ = FrameSize(cx, cy, contain_shadow, dpi_scale, shadow_);
}

void Window::SetMaxInfo(int cx, int cy, bool contain_shadow, bool dpi_scale) {
  max_info_ = FrameSize(cx, cy, contain_shadow, dpi_scale, shadow_);
}

void Window::SetHeightPercent(double percent) {
  height_percent_ = percent;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  HMONITOR handle = hwnd_ ? ::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY)
                          : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (!::GetMonitorInfoW(handle, &monitor)) return;
  // The fraction is of the whole window, shadow frame included, like the
  // minimum and maximum heights that bound it.
  int height = static_cast<int>((monitor.rcWork.bottom - monitor.rcWork.top) * percent);
  if (min_info_.cy > 0) height = std::max(height, static_cast<int>(min_info_.cy));
  if (max_info_.cy > 0) height = std::min(height, static_cast<int>(max_info_.cy));
  SetInitSize(init_size_.cx, height, true, false);
}

void Window::SetCaptionRect(const RECT& rect, bool dpi_scale) {
  caption_rect_ = dpi_scale ? ScaleRect(rect) : rect;
}

void Window::SetRoundCorner(int cx, int cy, bool dpi_scale) {
  round_corner_ = dpi_scale ? SIZE{Scale(cx), Scale(cy)} : SIZE{cx, cy};
}

void Window::SetAlphaFixCorner(const RECT& rect, bool dpi_scale) {
  alpha_fix_corner_ = dpi_scale ? ScaleRect(rect) : rect;
}

void Window::SetRenderOffset(POINT offset) {
  render_offset_ = offset;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Window::SetShadowCorner(const RECT& padding, bool dpi_scale) {
  shadow_.SetConfiguredPadding(padding);
  shadow_.SetPadding(dpi_scale ? ScaleRect(padding) : padding);
}

void Window::RescaleShadow(int percent) {
  const RECT& configured = shadow_.GetConfiguredPadding();
  shadow_.SetPadding(RECT{::MulDiv(configured.left, percent, 100),
                          ::MulDiv(configured.top, percent, 100),
                          ::MulDiv(configured.right, percent, 100),
                          ::MulDiv(configured.bottom, percent, 100)});
  needs_layout_ = true;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

// --- message filters ------------------------------------------------------------

bool Window::AddMessageFilter(IUIMessageFilter* filter) {
  if (!filter || std::find(filters_.begin(), filters_.end(), filter) != filters_.end()) {
    return false;
  }
  filters_.push_back(filter);
  return true;
}

bool Window::RemoveMessageFilter(IUIMessageFilter* filter) {
  auto it = std::find(filters_.begin(), filters_.end(), filter);
  if (it == filters_.end()) return false;
  filters_.erase(it);
  return true;
}

// --- IControlHost -----------------------------------------------------------------

void Window::Invalidate(const RECT& rect) {
  if (!hwnd_) return;
  RECT r = rect;
  ::OffsetRect(&r, -render_offset_.x, -render_offset_.y);
  ::InvalidateRect(hwnd_, &r, FALSE);
}

void Window::RegisterControlName(Control* control) { registry_.AddName(control); }

void Window::UnregisterControl(Control* control) {
  if (!control) return;
  registry_.RemoveNamesOf(control);
  dispatcher_.Forget(control);
  registry_.Unqueue(control);
  if (shadow_.GetShadowBox() == control) shadow_.ForgetShadowBox();
}

void Window::SetCapture() {
  if (!hwnd_) return;
  ::SetCapture(hwnd_);
  mouse_captured_ = true;
}

void Window::ReleaseCapture() {
  if (mouse_captured_) ::ReleaseCapture();
  mouse_captured_ = false;
}

UINT_PTR Window::StartTimer(std::function<void()> task, UINT elapse_ms, bool repeat) {
  if (!hwnd_ || !task) return 0;
  const UINT_PTR id = registry_.AddTimer(std::move(task), repeat);
  if (!::SetTimer(hwnd_, id, elapse_ms, nullptr)) {
    registry_.RemoveTimer(id);
    return 0;
  }
  return id;
}

void Window::StopTimer(UINT_PTR timer_id) {
  if (registry_.RemoveTimer(timer_id) && hwnd_) ::KillTimer(hwnd_, timer_id);
}

void Window::OnTimer(UINT_PTR id) {
  // A copy: the task may stop its own timer or start others.
  const std::optional<ControlRegistry::Timer> timer = registry_.FindTimer(id);
  if (!timer) return;
  if (!timer->repeat) StopTimer(id);
  timer->task();
}

void Window::SendMenuEvent(Control* control) {
  if (!control) return;
  control->SendEvent(kEventMouseMenu, 0, 0, 0, dispatcher_.last_mouse_pos());
}

// --- the window procedure -----------------------------------------------------------

void Window::OnNativeWindowGone(HWND hwnd) {
  if (subclassed_) {
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chained_proc_));
    subclassed_ = false;
  }
  painter_.ReleaseWindowDc();
  registry_.ClearTimers();
  mouse_captured_ = false;
  hwnd_ = nullptr;
  OnFinalMessage(hwnd);
}

LRESULT Window::CallChainedProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return ::CallWindowProcW(chained_proc_, hwnd_, message, wparam, lparam);
}

LRESULT Window::RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefaultRoute(message, wparam, lparam);
}

LRESULT Window::DefaultRoute(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (DispatchToControls(message, wparam, lparam, result)) return result;
  return CallChainedProc(message, wparam, lparam);
}

void Window::InitPaint() {
  painter_.Init(hwnd_);
  window_os::RegisterTouch(hwnd_);
}

bool Window::DispatchToControls(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  // Filters see the message first; copied because a filter may remove itself.
  const std::vector<IUIMessageFilter*> filters = filters_;
  for (IUIMessageFilter* filter : filters) {
    bool handled = false;
    const LRESULT r = filter->MessageFilter(message, wparam, lparam, handled);
    if (handled && message != WM_MOUSEMOVE) {
      result = r;
      return true;
    }
  }
  switch (message) {
    case WM_PAINT:
      result = OnPaint();
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_DISPLAYCHANGE:
      painter_.ForgetVirtualScreen();
      return dispatcher_.Dispatch(message, wparam, lparam, result);
    case WM_SIZE: {
      if (Control* focused = dispatcher_.focused()) {
        focused->SendEvent(kEventWindowSize, wparam, lparam, 0, dispatcher_.last_mouse_pos());
      }
      if (root_) root_->Arrange();
      needs_layout_ = true;
      if (root_) ::InvalidateRect(hwnd_, nullptr, FALSE);
      ApplyShadowPaddingForSize(static_cast<UINT>(wparam));
      result = 0;
      return true;
    }
    case WM_TIMER:
      if (registry_.FindTimer(wparam)) {
        OnTimer(wparam);
        result = 0;
        return true;
      }
      return false;
    case kMsgDelayedCleanup:
      registry_.DeleteQueued();
      result = 0;
      return true;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (lparam == 0) return false;
      result = ::SendMessageW(reinterpret_cast<HWND>(lparam), message + 0x2000, wparam, lparam);
      return true;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (!header || !header->hwndFrom) return false;
      result = ::SendMessageW(header->hwndFrom, message + 0x2000, wparam, lparam);
      return true;
    }
    default:
      return dispatcher_.Dispatch(message, wparam, lparam, result);
  }
}

void Window::ApplyShadowPaddingForSize(UINT size_type) {
  if (size_type == SIZE_MAXIMIZED) {
    shadow_.SetMaximized(true);
  } else if (size_type == SIZE_RESTORED) {
    shadow_.SetMaximized(false);
  }
}

RECT Window::GetClientRectWithoutShadow() const {
  RECT client{};
  if (hwnd_) ::GetClientRect(hwnd_, &client);
  if (shadow_.IsAttached()) {
    const RECT pad = shadow_.GetEffectivePadding();
    client.left += pad.left;
    client.top += pad.top;
    client.right -= pad.right;
    client.bottom -= pad.bottom;
  }
  return client;
}

// --- painting ---------------------------------------------------------------------

SIZE Window::MeasureAutoRoot() {
  if (!root_ || !(root_->IsAutoWidth() || root_->IsAutoHeight())) return SIZE{0, 0};
  SIZE size = root_->MeasureSize(99999, 99999);
  if (root_->GetMinWidth() >= 0) size.cx = std::max<LONG>(size.cx, root_->GetMinWidth());
  if (root_->GetMaxWidth() >= 0) size.cx = std::min<LONG>(size.cx, root_->GetMaxWidth());
  if (root_->GetMinHeight() >= 0) size.cy = std::max<LONG>(size.cy, root_->GetMinHeight());
  if (root_->GetMaxHeight() >= 0) size.cy = std::min<LONG>(size.cy, root_->GetMaxHeight());
  return size;
}

void Window::EnsureLayout() {
  if (!needs_layout_ || !root_) return;
  needs_layout_ = false;
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  if (::IsRectEmpty(&client)) return;
  control_tree::ArrangePending(root_.get(), client);
}

LRESULT Window::OnPaint() {
  if (::IsIconic(hwnd_) || !root_ || !painter_.render()) {
    base::unique_hdc_paint nothing_to_draw(hwnd_);
    return 0;
  }
  if (needs_layout_ && (root_->IsAutoWidth() || root_->IsAutoHeight())) {
    const SIZE size = MeasureAutoRoot();
    if (size.cx > 0 && size.cy > 0) {
      ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // Laid out before the update region is read: what the layout moves
  // invalidates more of the window, and that belongs in this paint, not in a
  // second paint and present right after it.
  const double started = WindowPainter::Now();
  const bool first_paint = first_paint_;
  if (needs_layout_) {
    EnsureLayout();
    if (first_paint_) {
      first_paint_ = false;
      PlayOpenFade();
    }
  }
  first_paint_ = false;
  if (first_paint) base::MarkStartupPhase("first layout");
  WindowPainter::UpdateArea area = WindowPainter::ReadUpdateArea(hwnd_);
  RECT update = area.bounds;
  if (::IsRectEmpty(&update) && !first_paint) {
    ::ValidateRect(hwnd_, nullptr);
    return 0;
  }
  if (layered_) update = painter_.AddOffscreenParts(hwnd_, update);
  const std::vector<RECT> parts =
      ::EqualRect(&update, &area.bounds) ? std::move(area.parts) : std::vector<RECT>{update};

  base::unique_hdc_paint paint(hwnd_);
  TreeFrame frame;
  frame.hwnd = hwnd_;
  frame.root = root_.get();
  frame.layered = layered_;
  frame.alpha = window_alpha_;
  frame.render_offset = render_offset_;
  frame.shadow = &shadow_;
  frame.alpha_fix_corner = alpha_fix_corner_;
  painter_.PaintAndPresent(frame, paint.get(), update, parts, first_paint, started);
  return 0;
}

}  // namespace ui
