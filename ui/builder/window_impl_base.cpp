#include "ui/builder/window_impl_base.h"

#include <windowsx.h>

#include <functional>

#include "base/unique_any.h"
#include "ui/builder/skin_builder.h"
#include "ui/controls/control.h"
#include "ui/resources/global_resources.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace ui {
namespace {

// The load-failure text is at most this long, terminator included.
constexpr size_t kMaxLoadFailureText = 260;

// What the user operates (the controls the Tab key stops at) takes the
// mouse; the rest of the window drags it by its caption.
bool IsClickable(Control* control) {
  return control && control->GetTabStopKind() != TabStopKind::kNone;
}

}  // namespace

WindowImplBase::WindowImplBase() = default;
WindowImplBase::~WindowImplBase() = default;

LONG WindowImplBase::WindowStyle() const {
  return ::GetWindowLongW(hwnd_, GWL_STYLE) & ~WS_CAPTION;
}

Control* WindowImplBase::CreateCustomControl(const std::wstring&) { return nullptr; }

LRESULT WindowImplBase::MessageFilter(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lparam));
  using Hook = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);
  Hook hook = nullptr;
  switch (message) {
    case WM_DESTROY: hook = &WindowImplBase::OnDestroyMessage; break;
    case WM_NCACTIVATE: hook = &WindowImplBase::OnNcActivate; break;
    case WM_NCCALCSIZE: hook = &WindowImplBase::OnNcCalcSize; break;
    case WM_WINDOWPOSCHANGING: hook = &WindowImplBase::OnWindowPosChanging; break;
    case WM_NCPAINT: hook = &WindowImplBase::OnNcPaint; break;
    case WM_NCLBUTTONDBLCLK: hook = &WindowImplBase::OnNcLButtonDbClick; break;
    case WM_NCHITTEST: hook = &WindowImplBase::OnNcHitTest; break;
    case WM_GETMINMAXINFO: hook = &WindowImplBase::OnGetMinMaxInfo; break;
    case WM_MOUSEWHEEL: hook = &WindowImplBase::OnMouseWheel; break;
    case WM_MOUSEHOVER: hook = &WindowImplBase::OnMouseHover; break;
    case WM_DPICHANGED: hook = &WindowImplBase::OnDpiChanged; break;
    case WM_SIZE: hook = &WindowImplBase::OnSize; break;
    case WM_CHAR: hook = &WindowImplBase::OnChar; break;
    case WM_SYSCOMMAND: hook = &WindowImplBase::OnSysCommand; break;
    case WM_KEYDOWN: hook = &WindowImplBase::OnKeyDown; break;
    case WM_KILLFOCUS: hook = &WindowImplBase::OnKillFocus; break;
    case WM_SETFOCUS: hook = &WindowImplBase::OnSetFocus; break;
    case WM_LBUTTONDOWN: hook = &WindowImplBase::OnLButtonDown; break;
    case WM_LBUTTONUP: hook = &WindowImplBase::OnLButtonUp; break;
    case WM_MOUSEMOVE: hook = &WindowImplBase::OnMouseMove; break;
    case WM_CLOSE: hook = &WindowImplBase::OnCloseMessage; break;
    default: break;
  }
  if (hook) {
    bool handled = false;
    const LRESULT result = (this->*hook)(message, wparam, lparam, handled);
    if (handled) return result;
  }
  return DefaultRoute(message, wparam, lparam);
}

// --- creation -------------------------------------------------------------------

LRESULT WindowImplBase::OnCreate(const CREATESTRUCTW*) {
  ::SetWindowLongW(hwnd_, GWL_STYLE, WindowStyle());
  InitPaint();
  AddMessageFilter(this);

  std::wstring folder = SkinFolder();
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  SetResourceSubPath(folder);
  const std::wstring path = folder + SkinFile();

  SkinBuilder builder;
  std::unique_ptr<Control> root = builder.CreateRoot(
      path,
      ToWeakCallback([this](const std::wstring& name) { return CreateCustomControl(name); }),
      this);
  if (!root) {
    std::wstring text = L"Failed to load xml file " + path;
    if (text.size() > kMaxLoadFailureText - 1) text.resize(kMaxLoadFailureText - 1);
    ::MessageBoxW(nullptr, text.c_str(), L"Fablet", MB_ICONERROR);
    return -1;
  }
  AttachRoot(GetShadow().WrapRoot(std::move(root)));
  OnSkinLoaded();
  SizeToAutoRoot();
  AttachSystemButtons();
  return 0;
}

void WindowImplBase::SizeToAutoRoot() {
  const SIZE size = MeasureAutoRoot();
  if (size.cx <= 0 || size.cy <= 0) return;
  ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void WindowImplBase::AttachSystemButtons() {
  for (const wchar_t* name : {L"closebtn", L"minbtn", L"maxbtn", L"restorebtn"}) {
    if (Control* button = FindControl(std::wstring(name))) {
      button->AttachClick(ToWeakCallback(
          std::bind(&WindowImplBase::OnSystemButtonClick, this, std::placeholders::_1)));
    }
  }
}

bool WindowImplBase::OnSystemButtonClick(EventArgs* event) {
  if (!event || !event->sender) return true;
  const std::wstring& name = event->sender->GetName();
  if (name == L"closebtn") {
    RequestClose(IDOK);
  } else if (name == L"minbtn") {
    ::SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn" || name == L"restorebtn") {
    Control* max_button = FindControl(std::wstring(L"maxbtn"));
    Control* restore_button = FindControl(std::wstring(L"restorebtn"));
    if (!max_button || !restore_button) return true;
    const bool maximise = name == L"maxbtn";
    max_button->SetVisible(!maximise);
    restore_button->SetVisible(maximise);
    ::SendMessageW(hwnd_, WM_SYSCOMMAND, maximise ? SC_MAXIMIZE : SC_RESTORE, 0);
  }
  return true;
}

// --- hooks ----------------------------------------------------------------------

LRESULT WindowImplBase::OnCloseMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnDestroyMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  RemoveMessageFilter(this);
  return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wparam, LPARAM, bool& handled) {
  // The default would paint a caption the window does not have.
  handled = !::IsIconic(hwnd_);
  return wparam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool& handled) {
  handled = true;  // no non-client area: the client is the whole window
  return 0;
}

LRESULT WindowImplBase::OnWindowPosChanging(UINT, WPARAM, LPARAM lparam, bool& handled) {
  handled = false;
  auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
  if (!pos || !::IsZoomed(hwnd_) || !(pos->flags & SWP_FRAMECHANGED)) return 0;
  HMONITOR monitor = ::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(monitor, &info) || (info.dwFlags & MONITORINFOF_PRIMARY)) return 0;
  // The system maximises onto the primary monitor's work area size; on a
  // secondary monitor use that monitor's own work area.
  pos->x = info.rcWork.left;
  pos->y = info.rcWork.top;
  pos->cx = info.rcWork.right - info.rcWork.left;
  pos->cy = info.rcWork.bottom - info.rcWork.top;
  return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool& handled) {
  handled = true;  // no frame to paint
  return 0;
}

LRESULT WindowImplBase::OnNcLButtonDbClick(UINT, WPARAM, LPARAM, bool& handled) {
  handled = true;  // a double click on the frame does not maximise
  return 0;
}

LRESULT WindowImplBase::HitTest(POINT pt) const {
  const RECT client = GetClientRectWithoutShadow();
  if (!::IsZoomed(hwnd_)) {
    const RECT& box = GetSizeBox();
    if (pt.y < client.top + box.top) {
      if (pt.y < client.top) return HTCLIENT;
      if (pt.x < client.left + box.left && pt.x >= client.left) return HTTOPLEFT;
      if (pt.x > client.right - box.right && pt.x <= client.right) return HTTOPRIGHT;
      return HTTOP;
    }
    if (pt.y > client.bottom - box.bottom) {
      if (pt.y > client.bottom) return HTCLIENT;
      if (pt.x < client.left + box.left && pt.x >= client.left) return HTBOTTOMLEFT;
      if (pt.x > client.right - box.right && pt.x <= client.right) return HTBOTTOMRIGHT;
      return HTBOTTOM;
    }
    if (pt.x < client.left + box.left) return pt.x >= client.left ? HTLEFT : HTCLIENT;
    if (pt.x > client.right - box.right) return pt.x <= client.right ? HTRIGHT : HTCLIENT;
  }
  const RECT& caption = GetCaptionRect();
  if (pt.x < client.left + caption.left || pt.x >= client.right - caption.right ||
      pt.y < client.top + caption.top || pt.y >= client.top + caption.bottom) {
    return HTCLIENT;
  }
  Control* control = FindControl(pt);
  if (!control) return HTCLIENT;
  // Buttons and text fields in the caption band stay clickable; anything
  // else there drags the window.
  return IsClickable(control) ? HTCLIENT : HTCAPTION;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lparam, bool& handled) {
  handled = true;
  POINT pt{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ::ScreenToClient(hwnd_, &pt);
  return HitTest(pt);
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lparam, bool& handled) {
  handled = false;
  auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
  if (!info) return 0;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return 0;
  }
  // Maximised placement is relative to the monitor's origin.
  RECT work = monitor.rcWork;
  ::OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
  const RECT& placement = GetMaximizeInfo();
  const int placed_width = placement.right - placement.left;
  const int placed_height = placement.bottom - placement.top;
  if (placed_width > 0 && placed_height > 0) {
    info->ptMaxPosition = POINT{work.left + placement.left, work.top + placement.top};
    info->ptMaxSize = POINT{placed_width, placed_height};
  } else {
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
  }
  // A limit that is only the shadow's frame was 0 ("no limit") in the skin.
  const RECT& pad = GetShadow().GetPadding();
  const LONG frame_x = IsShadowAttached() ? pad.left + pad.right : 0;
  const LONG frame_y = IsShadowAttached() ? pad.top + pad.bottom : 0;
  const SIZE min_size = GetMinInfo();
  const SIZE max_size = GetMaxInfo();
  if (min_size.cx != 0 && min_size.cx != frame_x) info->ptMinTrackSize.x = min_size.cx;
  if (min_size.cy != 0 && min_size.cy != frame_y) info->ptMinTrackSize.y = min_size.cy;
  if (max_size.cx != 0 && max_size.cx != frame_x) info->ptMaxTrackSize.x = max_size.cx;
  if (max_size.cy != 0 && max_size.cy != frame_y) info->ptMaxTrackSize.y = max_size.cy;
  return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnDpiChanged(UINT, WPARAM wparam, LPARAM, bool& handled) {
  handled = false;
  if (!GlobalResources::IsDpiAdapted()) return 0;
  const int percent = ::MulDiv(LOWORD(wparam), 100, 96);
  GlobalResources::SetDpiScale(percent);
  if (IsShadowAttached()) RescaleShadow(percent);
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  const SIZE round = GetRoundCorner();
  if (::IsIconic(hwnd_) || (round.cx == 0 && round.cy == 0)) return 0;
  RECT window_rect{};
  ::GetWindowRect(hwnd_, &window_rect);
  base::unique_hrgn region(::CreateRoundRectRgn(0, 0, window_rect.right - window_rect.left + 1,
                                                window_rect.bottom - window_rect.top + 1,
                                                round.cx, round.cy));
  // Once set, the region belongs to the system and must not be deleted;
  // it is only ours to delete when the call fails.
  if (region && ::SetWindowRgn(hwnd_, static_cast<HRGN>(region.get()), TRUE)) region.release();
  return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wparam, LPARAM lparam,
                                     bool& handled) {
  if ((wparam & 0xFFF0) == SC_CLOSE) {
    handled = true;
    ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    return 0;
  }
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void WindowImplBase::BringToFront() {
  if (!hwnd_) return;
  if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
  if (!::IsWindowVisible(hwnd_)) ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
}

}  // namespace ui
