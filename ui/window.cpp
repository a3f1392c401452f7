#include "ui/window.h"

#include <algorithm>
#include <functional>

#include "base/startup_trace.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/control_tree.h"
#include "ui/gdiplus_render_factory.h"
#include "ui/global_resources.h"
#include "ui/render_context.h"
#include "ui/render_factory.h"
#include "ui/window_os.h"

namespace ui {
namespace {

double PerformanceSeconds() {
  LARGE_INTEGER frequency{}, counter{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Superclassed windows find their object through this property.
constexpr wchar_t kObjectProperty[] = L"WndX";
// Step interval of the alpha fade (about 60 steps a second).
constexpr UINT kFadeStepMs = 16;
// The close request waits this long so the fade-out has finished.
constexpr UINT kCloseDelayMs = 300;

int Scale(int value) { return GlobalResources::ScaleDpi(value); }

RECT ScaleRect(const RECT& r) {
  return RECT{Scale(r.left), Scale(r.top), Scale(r.right), Scale(r.bottom)};
}

// The render factory of the framework; a private GDI+ factory when the
// framework was not started (tests that open a bare window).
IRenderFactory* RenderFactory() {
  if (IRenderFactory* factory = GlobalResources::GetRenderFactory()) return factory;
  static RenderFactory_GdiPlus fallback(&GlobalResources::GetFontTable(),
                                        &GlobalResources::GetColorTable());
  return &fallback;
}

}  // namespace

Window::Window() : dispatcher_(*this) { fade_.Configure(0, 255, 250, 0.3, 0.7); }

Window::~Window() {
  DeleteQueuedControls();
  Control* root = std::exchange(root_, nullptr);
  shadow_.ForgetShadowBox();
  delete root;
  dispatcher_.DestroyToolTip();
}

// --- overridable behaviour --------------------------------------------------

std::wstring Window::WindowClassName() const { return std::wstring(); }
std::wstring Window::SuperClassName() const { return std::wstring(); }
UINT Window::WindowClassStyle() const { return CS_DBLCLKS; }

bool Window::RegisterWindowClass() {
  const std::wstring name = WindowClassName();
  if (name.empty()) return false;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = WindowClassStyle();
  wc.lpfnWndProc = &Window::WindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (::RegisterClassExW(&wc)) return true;
  return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::RegisterSuperClass() {
  const std::wstring super_name = SuperClassName();
  const std::wstring name = WindowClassName();
  if (name.empty()) return false;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!::GetClassInfoExW(nullptr, super_name.c_str(), &wc) &&
      !::GetClassInfoExW(::GetModuleHandleW(nullptr), super_name.c_str(), &wc)) {
    return false;
  }
  // The system class's procedure does the real work; ours only comes first.
  chained_proc_ = wc.lpfnWndProc;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &Window::SuperClassProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = name.c_str();
  if (::RegisterClassExW(&wc)) return true;
  if (::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // Already registered by an earlier window of this class: the chained
  // procedure is still the system class's.
  return true;
}

HWND Window::OpenWindow(HWND parent, const std::wstring& title, DWORD style, DWORD ex_style,
                        bool layered, const RECT& rect) {
  const bool registered = SuperClassName().empty() ? RegisterWindowClass() : RegisterSuperClass();
  if (!registered) return nullptr;
  if (layered) {
    ex_style |= WS_EX_LAYERED;
    layered_ = true;
  }
  const std::wstring class_name = WindowClassName();
  HWND hwnd = ::CreateWindowExW(ex_style, class_name.c_str(), title.c_str(), style, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                nullptr, ::GetModuleHandleW(nullptr), this);
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
  DetachTreePointers(root_);
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

bool Window::AttachRoot(Control* root) {
  dispatcher_.Reset();
  ReleaseCapture();
  if (root_ && root_ != root) {
    DetachTreePointers(root_);
    QueueDelayedDelete(root_);
  }
  root_ = root;
  needs_layout_ = true;
  first_paint_ = true;
  InitControls(root_);
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

Control* Window::FindControl(POINT pt) const {
  if (!root_) return nullptr;
  return root_->LocateControl(FindControlProc(), pt, kFindVisible | kFindHitTest | kFindTopFirst);
}

Control* Window::FindControl(const std::wstring& name) const {
  auto it = names_.find(name);
  return it == names_.end() ? nullptr : it->second;
}

void Window::QueueDelayedDelete(Control* control) {
  if (!control) return;
  if (std::find(delayed_cleanup_.begin(), delayed_cleanup_.end(), control) !=
      delayed_cleanup_.end()) {
    return;
  }
  delayed_cleanup_.push_back(control);
  if (hwnd_) ::PostMessageW(hwnd_, kMsgDelayedCleanup, 0, 0);
}

void Window::DeleteQueuedControls() {
  // Deleting may queue more (a control that removes its children).
  while (!delayed_cleanup_.empty()) {
    std::vector<Control*> batch;
    batch.swap(delayed_cleanup_);
    for (Control* control : batch) delete control;
  }
}

void Window::DetachTreePointers(Control* control) {
  if (!control) return;
  dispatcher_.ForgetSubtree(control);
  control_tree::ForEach(control, [this](Control* c) {
    for (auto it = names_.begin(); it != names_.end();) {
      it = it->second == c ? names_.erase(it) : std::next(it);
    }
  });
}

bool Window::AddOptionGroup(const std::wstring& group, Control* control) {
  if (group.empty() || !control) return false;
  auto& members = option_groups_[group];
  if (std::find(members.begin(), members.end(), control) != members.end()) return false;
  members.push_back(control);
  return true;
}

std::vector<Control*>* Window::GetOptionGroup(const std::wstring& group) {
  auto it = option_groups_.find(group);
  return it == option_groups_.end() ? nullptr : &it->second;
}

void Window::RemoveOptionGroup(const std::wstring& group, Control* control) {
  auto it = option_groups_.find(group);
  if (it == option_groups_.end()) return;
  auto& members = it->second;
  members.erase(std::remove(members.begin(), members.end(), control), members.end());
  if (members.empty()) option_groups_.erase(it);
}

void Window::AddClass(const std::wstring& name, const std::wstring& attributes) {
  if (!name.empty()) classes_[name] = attributes;
}

std::wstring Window::GetClassAttributes(const std::wstring& class_name) const {
  auto it = classes_.find(class_name);
  return it == classes_.end() ? std::wstring() : it->second;
}

void Window::AttachWindowClose(EventCallback callback) {
  if (callback) close_handlers_.push_back(std::move(callback));
}

// --- frame settings -------------------------------------------------------------

void Window::SetInitSize(int cx, int cy, bool contain_shadow, bool dpi_scale) {
  if (dpi_scale) {
    cx = Scale(cx);
    cy = Scale(cy);
  }
  if (!contain_shadow && shadow_.IsAttached()) {
    const RECT& pad = shadow_.GetPadding();
    cx += pad.left + pad.right;
    cy += pad.top + pad.bottom;
  }
  init_size_ = SIZE{cx, cy};
  if (!root_ && hwnd_) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }
}

void Window::SetMinInfo(int cx, int cy, bool contain_shadow, bool dpi_scale) {
  if (dpi_scale) {
    cx = Scale(cx);
    cy = Scale(cy);
  }
  if (!contain_shadow && shadow_.IsAttached()) {
    const RECT& pad = shadow_.GetPadding();
    cx += pad.left + pad.right;
    cy += pad.top + pad.bottom;
  }
  min_info_ = SIZE{cx, cy};
}

void Window::SetMaxInfo(int cx, int cy, bool contain_shadow, bool dpi_scale) {
  if (dpi_scale) {
    cx = Scale(cx);
    cy = Scale(cy);
  }
  if (!contain_shadow && shadow_.IsAttached()) {
    const RECT& pad = shadow_.GetPadding();
    cx += pad.left + pad.right;
    cy += pad.top + pad.bottom;
  }
  max_info_ = SIZE{cx, cy};
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

void Window::RegisterControlName(Control* control) {
  if (control && !control->GetName().empty()) names_[control->GetName()] = control;
}

void Window::UnregisterControl(Control* control) {
  if (!control) return;
  for (auto it = names_.begin(); it != names_.end();) {
    it = it->second == control ? names_.erase(it) : std::next(it);
  }
  for (auto it = option_groups_.begin(); it != option_groups_.end();) {
    auto& members = it->second;
    members.erase(std::remove(members.begin(), members.end(), control), members.end());
    it = members.empty() ? option_groups_.erase(it) : std::next(it);
  }
  dispatcher_.Forget(control);
  delayed_cleanup_.erase(std::remove(delayed_cleanup_.begin(), delayed_cleanup_.end(), control),
                         delayed_cleanup_.end());
  if (root_ == control) root_ = nullptr;
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
  const UINT_PTR id = next_timer_id_++;
  if (!::SetTimer(hwnd_, id, elapse_ms, nullptr)) return 0;
  timers_[id] = Timer{std::move(task), repeat};
  return id;
}

void Window::StopTimer(UINT_PTR timer_id) {
  if (timers_.erase(timer_id) && hwnd_) ::KillTimer(hwnd_, timer_id);
}

void Window::OnTimer(UINT_PTR id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  // Copied: the task may stop its own timer or start others.
  std::function<void()> task = it->second.task;
  if (!it->second.repeat) StopTimer(id);
  task();
}

void Window::SendMenuEvent(Control* control) {
  if (!control) return;
  control->SendEvent(kEventMouseMenu, 0, 0, 0, dispatcher_.last_mouse_pos());
}

// --- the window procedure -----------------------------------------------------------

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // Every message is a boundary: nothing may escape into the system.
  try {
    Window* window = nullptr;
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      window = static_cast<Window*>(create->lpCreateParams);
      if (window) {
        window->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
      }
    } else {
      window = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!window) return ::DefWindowProcW(hwnd, message, wparam, lparam);
    return HandleNativeMessage(window, hwnd, message, wparam, lparam, false);
  } catch (...) {
    if (message == WM_CREATE) return -1;
    if (message == WM_NCCREATE) return FALSE;
    return 0;
  }
}

LRESULT CALLBACK Window::SuperClassProc(HWND hwnd, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  try {
    Window* window = nullptr;
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      window = static_cast<Window*>(create->lpCreateParams);
      if (window) {
        window->hwnd_ = hwnd;
        ::SetPropW(hwnd, kObjectProperty, window);
      }
    } else {
      window = static_cast<Window*>(::GetPropW(hwnd, kObjectProperty));
    }
    if (!window) return ::DefWindowProcW(hwnd, message, wparam, lparam);
    return HandleNativeMessage(window, hwnd, message, wparam, lparam, true);
  } catch (...) {
    if (message == WM_CREATE) return -1;
    if (message == WM_NCCREATE) return FALSE;
    return 0;
  }
}

LRESULT Window::HandleNativeMessage(Window* window, HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam, bool superclassed) {
  if (message != WM_NCDESTROY) return window->RouteMessage(message, wparam, lparam);
  const LRESULT result = ::CallWindowProcW(window->chained_proc_, hwnd, message, wparam, lparam);
  if (superclassed) {
    ::RemovePropW(hwnd, kObjectProperty);
  } else {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  }
  if (window->subclassed_) {
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(window->chained_proc_));
    window->subclassed_ = false;
  }
  if (window->paint_dc_) {
    ::ReleaseDC(hwnd, window->paint_dc_);
    window->paint_dc_ = nullptr;
  }
  window->timers_.clear();
  window->mouse_captured_ = false;
  window->hwnd_ = nullptr;
  window->OnFinalMessage(hwnd);
  return result;
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
  if (!paint_dc_ && hwnd_) paint_dc_ = ::GetDC(hwnd_);
  if (!render_) render_ = RenderFactory()->CreateRenderContext();
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
      if (timers_.count(wparam)) {
        OnTimer(wparam);
        result = 0;
        return true;
      }
      return false;
    case kMsgDelayedCleanup:
      DeleteQueuedControls();
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
  control_tree::ArrangePending(root_, client);
}

LRESULT Window::OnPaint() {
  if (::IsIconic(hwnd_) || !root_ || !render_) {
    PAINTSTRUCT ps;
    ::BeginPaint(hwnd_, &ps);
    ::EndPaint(hwnd_, &ps);
    return 0;
  }
  if (needs_layout_ && (root_->IsAutoWidth() || root_->IsAutoHeight())) {
    const SIZE size = MeasureAutoRoot();
    if (size.cx > 0 && size.cy > 0) {
      ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  RECT update{};
  ::GetUpdateRect(hwnd_, &update, FALSE);
  if (::IsRectEmpty(&update) && !first_paint_) {
    ::ValidateRect(hwnd_, nullptr);
    return 0;
  }
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  if (layered_) {
    // Parts outside the virtual screen never get an update region of their
    // own, yet UpdateLayeredWindow shows the whole bitmap: paint them too.
    RECT window_rect{};
    ::GetWindowRect(hwnd_, &window_rect);
    const int vx = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int vy = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int vr = vx + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int vb = vy + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (window_rect.left < vx) update.left = client.left;
    if (window_rect.top < vy) update.top = client.top;
    if (window_rect.right > vr) update.right = client.right;
    if (window_rect.bottom > vb) update.bottom = client.bottom;
  }

  PAINTSTRUCT ps;
  HDC paint_dc = ::BeginPaint(hwnd_, &ps);
  const double started = PerformanceSeconds();
  const bool first_paint = first_paint_;
  if (needs_layout_) {
    EnsureLayout();
    if (first_paint_) {
      first_paint_ = false;
      PlayOpenFade();
    }
  }
  if (first_paint_) first_paint_ = false;
  if (first_paint) base::MarkStartupPhase("first layout");
  if (RenderTree(&update)) {
    const double rendered = PerformanceSeconds();
    if (first_paint) base::MarkStartupPhase("first tree paint");
    Present(paint_dc, update);
    if (first_paint) {
      base::MarkStartupPhase("first layered update");
      base::FinishStartupTrace();
    }
    ++paint_times_.paints;
    paint_times_.render_seconds += rendered - started;
    paint_times_.present_seconds += PerformanceSeconds() - rendered;
  }
  ::EndPaint(hwnd_, &ps);
  return 0;
}

bool Window::RenderTree(RECT* update_rect) {
  RECT& update = *update_rect;
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0 || !root_) return false;
  if (render_->Resize(width, height)) {
    render_->Clear();
    update = client;
  }
  render_->SetRenderTransparent(layered_);
  if (layered_) render_->ClearAlpha(update, 0);

  render_->SetClip(update);
  const POINT old_origin = render_->OffsetWindowOrg(render_offset_);
  root_->Paint(render_.get(), update);
  render_->SetWindowOrg(old_origin);
  render_->ClearClip();
  if (!layered_) return true;

  // Text and edges that GDI draws leave alpha 0; give those pixels their
  // alpha back, but keep the window's transparent corners.
  if (shadow_.IsAttached() && render_offset_.x == 0 && render_offset_.y == 0) {
    ShadowBox* box = shadow_.GetShadowBox();
    Control* content = box && box->GetCount() > 0 ? box->GetItemAt(0) : root_;
    RECT fix{};
    if (::IntersectRect(&fix, &update, &content->GetPos())) {
      const SIZE round = content->GetBorderRound();
      const RECT corners{round.cx, round.cy, round.cx, round.cy};
      render_->RestoreAlpha(fix, corners);
    }
  } else if (alpha_fix_corner_.left > 0 || alpha_fix_corner_.top > 0 ||
             alpha_fix_corner_.right > 0 || alpha_fix_corner_.bottom > 0) {
    RECT inner = root_->GetPos();
    inner.left += alpha_fix_corner_.left;
    inner.top += alpha_fix_corner_.top;
    inner.right -= alpha_fix_corner_.right;
    inner.bottom -= alpha_fix_corner_.bottom;
    RECT fix{};
    if (::IntersectRect(&fix, &update, &inner)) render_->RestoreAlpha(fix, RECT{0, 0, 0, 0});
  }
  return true;
}

void Window::Present(HDC paint_dc, const RECT& update) {
  if (!layered_) {
    ::BitBlt(paint_dc, update.left, update.top, update.right - update.left,
             update.bottom - update.top, render_->GetDC(), update.left, update.top, SRCCOPY);
    return;
  }
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  RECT window_rect{};
  ::GetWindowRect(hwnd_, &window_rect);
  POINT destination{window_rect.left, window_rect.top};
  SIZE size{client.right - client.left, client.bottom - client.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, window_alpha_, AC_SRC_ALPHA};
  // The system keeps what the window showed before, so only the rectangle
  // painted now needs blending and sending to the display: a progress step
  // is a few hundred pixels of a window of 650 thousand. The whole window
  // goes when nothing was presented at this size yet or the window's alpha
  // changed, since then every pixel on screen is stale.
  RECT dirty = update;
  if (presented_size_.cx != size.cx || presented_size_.cy != size.cy ||
      presented_alpha_ != window_alpha_) {
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
  if (::UpdateLayeredWindowIndirect(hwnd_, &info)) {
    presented_size_ = size;
    presented_alpha_ = window_alpha_;
  } else {
    presented_size_ = SIZE{0, 0};
  }
}

}  // namespace ui
