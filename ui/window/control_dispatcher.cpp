#include "ui/window/control_dispatcher.h"

#include <windowsx.h>

#include <vector>

#include "ui/controls/control.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_tree.h"
#include "ui/window/window_os.h"

namespace ui {
namespace {

// The width tooltips wrap at.
constexpr int kToolTipMaxWidth = 300;

// Pointer messages of Windows 8 and later (the headers hide them below that).
constexpr UINT kWmPointerUpdate = 0x0245;
constexpr UINT kWmPointerDown = 0x0246;
constexpr UINT kWmPointerUp = 0x0247;
constexpr UINT kWmPointerCaptureChanged = 0x024C;
// Mouse messages the system makes up from touch input carry this in their
// extra information; those made up from a pen lack the 0x80 bit, and are the
// pen's only input where there are no pointer messages.
constexpr ULONG_PTR kTouchSignatureMask = 0xFFFFFF80u;
constexpr ULONG_PTR kTouchSignature = 0xFF515780u;

// A pointer message's id is the low word of its wParam.
DWORD PointerIdOf(WPARAM wparam) { return LOWORD(wparam); }

POINT PointOf(LPARAM lparam) { return POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace

bool IsMadeUpFromTouch(ULONG_PTR extra_info) {
  return (extra_info & kTouchSignatureMask) == kTouchSignature;
}

ControlDispatcher::ControlDispatcher(IControlHost& host) : host_(host) {}

Control* ControlDispatcher::ControlAt(POINT pt) const {
  Control* root = host_.GetRoot();
  if (!root) return nullptr;
  return root->LocateControl(FindControlProc(), pt, kFindVisible | kFindHitTest | kFindTopFirst);
}

ControlDispatcher::~ControlDispatcher() = default;

void ControlDispatcher::SendTo(Control* control, EventType type, WPARAM wparam, LPARAM lparam,
                               POINT pt, wchar_t key) {
  if (!control || control->GetWindow() != &host_) return;
  control->SendEvent(type, wparam, lparam, key, pt);
}

bool ControlDispatcher::IsInSubtree(Control* control, Control* subtree) const {
  for (Control* c = control; c; c = c->GetParent()) {
    if (c == subtree) return true;
  }
  return false;
}

void ControlDispatcher::Forget(Control* control) {
  if (!control) return;
  if (focused_ == control) focused_ = nullptr;
  if (new_hover_ == control) new_hover_ = nullptr;
  if (event_hover_ == control) {
    event_hover_ = nullptr;
    HideToolTip();
  }
  if (pressed_ == control) pressed_ = nullptr;
  if (key_pressed_ == control) key_pressed_ = nullptr;
  if (touch_.control == control) touch_.control = nullptr;
  if (pointer_.control == control) pointer_.control = nullptr;
}

void ControlDispatcher::ForgetSubtree(Control* subtree) {
  if (!subtree) return;
  for (Control** slot : {&focused_, &new_hover_, &event_hover_, &pressed_, &key_pressed_,
                         &touch_.control, &pointer_.control}) {
    if (*slot && IsInSubtree(*slot, subtree)) *slot = nullptr;
  }
}

void ControlDispatcher::Reset() {
  focused_ = nullptr;
  new_hover_ = nullptr;
  event_hover_ = nullptr;
  pressed_ = nullptr;
  key_pressed_ = nullptr;
  touch_.control = nullptr;
  pointer_.control = nullptr;
  HideToolTip();
}

void ControlDispatcher::ReleaseAll() {
  const POINT pt = last_mouse_pos_;
  if (Control* hover = event_hover_) {
    event_hover_ = nullptr;
    SendTo(hover, kEventMouseLeave, 0, 0, pt);
  }
  if (Control* pressed = pressed_) {
    pressed_ = nullptr;
    SendTo(pressed, kEventMouseButtonUp, 0, 0, pt);
  }
  DropContact(touch_);
  DropContact(pointer_);
  SetFocus(nullptr);
  HideToolTip();
}

void ControlDispatcher::DropContact(ContactCapture& capture) {
  Control* control = capture.control;
  if (!control) return;
  capture.control = nullptr;
  // Released away from every control: nothing is clicked by letting go.
  SendTo(control, kEventMouseButtonUp, 0, 0, POINT{-1, -1});
}

void ControlDispatcher::SetFocus(Control* control) {
  if (control == focused_) return;
  if (control && (control->GetWindow() != &host_ || control->IsNoFocus() ||
                  !control->IsActivatable())) {
    return;
  }
  if (HWND hwnd = host_.GetHWND(); hwnd && control && ::GetFocus() != hwnd) ::SetFocus(hwnd);
  if (Control* old = focused_) {
    focused_ = nullptr;
    SendTo(old, kEventKillFocus, 0, 0, last_mouse_pos_);
  }
  if (control) {
    focused_ = control;
    SendTo(control, kEventSetFocus, 0, 0, last_mouse_pos_);
  }
}

bool ControlDispatcher::Dispatch(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  HWND hwnd = host_.GetHWND();
  result = 0;
  switch (message) {
    case WM_CLOSE:
      ReleaseAll();
      if (HWND owner = ::GetWindow(hwnd, GW_OWNER)) ::SetFocus(owner);
      return false;
    case WM_KILLFOCUS:
      if (host_.IsCaptured()) {
        Control* pressed = pressed_;
        pressed_ = nullptr;
        host_.ReleaseCapture();
        // Released away from every control: a press cut short by the focus
        // going elsewhere (Alt+Tab, another window) must not click.
        SendTo(pressed, kEventMouseButtonUp, 0, 0, POINT{-1, -1});
      }
      return false;
    case WM_SETCURSOR: {
      if (LOWORD(lparam) != HTCLIENT || host_.IsCaptured()) return false;
      POINT pt{};
      ::GetCursorPos(&pt);
      ::ScreenToClient(hwnd, &pt);
      Control* control = ControlAt(pt);
      if (control && control->GetWindow() == &host_) {
        SendTo(control, kEventSetCursor, wparam, lparam, pt);
      } else {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
      }
      result = TRUE;
      return true;
    }
    case WM_MOUSEMOVE:
      if (IsPromotedFromRoutedTouch()) return false;
      OnMouseMove(PointOf(lparam), wparam, lparam);
      return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (IsPromotedFromRoutedTouch()) return false;
      OnButtonDown(message, PointOf(lparam), wparam, lparam);
      return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (IsPromotedFromRoutedTouch()) return false;
      OnButtonUp(message, PointOf(lparam), wparam, lparam);
      return false;
    case WM_TOUCH:
      return OnTouch(wparam, lparam);
    case kWmPointerDown:
    case kWmPointerUpdate:
    case kWmPointerUp:
    case kWmPointerCaptureChanged:
      return OnPointer(message, wparam, lparam);
    case WM_MOUSEWHEEL: {
      POINT pt = PointOf(lparam);  // screen coordinates
      ::ScreenToClient(hwnd, &pt);
      last_mouse_pos_ = pt;
      Control* control = ControlAt(pt);
      const WPARAM delta = static_cast<WPARAM>(static_cast<short>(HIWORD(wparam)));
      SendTo(control, kEventMouseScrollWheel, delta, lparam, pt);
      return false;
    }
    case WM_CONTEXTMENU: {
      host_.ReleaseCapture();
      if (Control* pressed = pressed_) {
        pressed_ = nullptr;
        SendTo(pressed, kEventInternalMenu, wparam, lparam, last_mouse_pos_);
      }
      return false;
    }
    case WM_KEYDOWN:
      return OnKeyDown(wparam, lparam);
    case WM_KEYUP:
      if (Control* control = key_pressed_) {
        key_pressed_ = nullptr;
        SendTo(control, kEventKeyUp, wparam, lparam, last_mouse_pos_,
               static_cast<wchar_t>(wparam));
      }
      return false;
    case WM_CHAR:
      SendTo(focused_, kEventChar, wparam, lparam, last_mouse_pos_, static_cast<wchar_t>(wparam));
      return false;
    case WM_IME_STARTCOMPOSITION:
      SendTo(focused_, kEventImeStartComposition, wparam, lparam, last_mouse_pos_);
      return false;
    case WM_IME_ENDCOMPOSITION:
      SendTo(focused_, kEventImeEndComposition, wparam, lparam, last_mouse_pos_);
      return false;
    case WM_CANCELMODE:
      LoseMouse();
      return false;
    case WM_ENABLE:
      if (!wparam) LoseMouse();
      return false;
    case WM_MOUSEHOVER:
      OnMouseHover(PointOf(lparam), wparam, lparam);
      return true;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return false;
    default:
      return false;
  }
}

void ControlDispatcher::TrackMouse() {
  HWND hwnd = host_.GetHWND();
  if (!hwnd) return;
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = hwnd;
  track.dwHoverTime = kDefaultHoverTimeMs;
  if (tooltip_) {
    track.dwHoverTime =
        static_cast<DWORD>(::SendMessageW(tooltip_.get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0));
  }
  ::TrackMouseEvent(&track);
  tracking_ = true;
}

void ControlDispatcher::OnMouseMove(POINT pt, WPARAM wparam, LPARAM lparam) {
  // A held touch contact or pointer owns the controls until it lifts.
  if (touch_.control || pointer_.control) return;
  last_mouse_pos_ = pt;
  Control* under = ControlAt(pt);
  if (under && under->GetWindow() != &host_) return;
  // Hover fires once per arming: arm it again for each control entered, so
  // every control shows its own tooltip.
  // The leave handling's own move (to no control) must not arm it again.
  if (!tracking_ || (under && under != event_hover_)) TrackMouse();
  new_hover_ = under;
  if (under != event_hover_) {
    if (Control* old = event_hover_) {
      event_hover_ = nullptr;
      HideToolTip();
      SendTo(old, kEventMouseLeave, wparam, lparam, pt);
    }
    // The leave handler may have destroyed the control now under the mouse.
    if (under && new_hover_ == under) {
      event_hover_ = under;
      SendTo(under, kEventMouseEnter, wparam, lparam, pt);
    }
  }
  if (pressed_) {
    SendTo(pressed_, kEventMouseMove, wparam, lparam, pt);
  } else if (new_hover_) {
    SendTo(new_hover_, kEventMouseMove, wparam, lparam, pt);
  }
}

Control* ControlDispatcher::FocusControlAt(POINT pt) {
  Control* control = ControlAt(pt);
  if (!control || control->GetWindow() != &host_) return nullptr;
  SetFocus(control);
  // Focus handlers may have destroyed it.
  return ControlAt(pt);
}

void ControlDispatcher::OnButtonDown(UINT message, POINT pt, WPARAM wparam, LPARAM lparam) {
  last_mouse_pos_ = pt;
  Control* control = FocusControlAt(pt);
  if (!control) return;
  pressed_ = control;
  host_.SetCapture();
  const EventType type = message == WM_RBUTTONDOWN  ? kEventMouseRightButtonDown
                         : message == WM_LBUTTONDOWN ? kEventMouseButtonDown
                                                     : kEventMouseDoubleClick;
  SendTo(control, type, wparam, lparam, pt);
}

void ControlDispatcher::OnButtonUp(UINT message, POINT pt, WPARAM wparam, LPARAM lparam) {
  last_mouse_pos_ = pt;
  host_.ReleaseCapture();
  Control* pressed = pressed_;
  if (!pressed) return;
  if (message == WM_LBUTTONUP) {
    pressed_ = nullptr;
    // A button-up over the pressed control leaves it hot. The press's
    // capture can end the leave tracking under Wine, and that leave dropped
    // the hover while the control showed pushed: it is the hovered control
    // again, so that the leave of a later move, or of the window disabled
    // under a box the click opens, reaches it.
    if (event_hover_ != pressed && ControlAt(pt) == pressed) {
      new_hover_ = pressed;
      event_hover_ = pressed;
      if (!tracking_) TrackMouse();
    }
    SendTo(pressed, kEventMouseButtonUp, wparam, lparam, pt);
  } else {
    // Stays pressed: the WM_CONTEXTMENU that follows goes to it.
    SendTo(pressed, kEventMouseRightButtonUp, wparam, lparam, pt);
  }
}

bool ControlDispatcher::OnKeyDown(WPARAM wparam, LPARAM lparam) {
  Control* focused = focused_;
  if (!focused) return false;
  if (wparam == VK_TAB) {
    if (!focused->WantsTab()) {
      MoveFocusByTab(::GetKeyState(VK_SHIFT) < 0);
      return true;
    }
  }
  key_pressed_ = focused;
  SendTo(focused, kEventKeyDown, wparam, lparam, last_mouse_pos_, static_cast<wchar_t>(wparam));
  return false;
}

void ControlDispatcher::MoveFocusByTab(bool backwards) {
  const std::vector<Control*> stops = control_tree::CollectTabStops(host_.GetRoot());
  if (stops.empty()) return;
  size_t index = 0;
  for (; index < stops.size(); ++index) {
    if (stops[index] == focused_) break;
  }
  size_t next;
  if (index == stops.size()) {
    next = backwards ? stops.size() - 1 : 0;
  } else if (backwards) {
    next = index == 0 ? stops.size() - 1 : index - 1;
  } else {
    next = (index + 1) % stops.size();
  }
  SetFocus(stops[next]);
}

void ControlDispatcher::EnsureToolTip() {
  if (tooltip_) return;
  HWND hwnd = host_.GetHWND();
  if (!hwnd) return;
  INITCOMMONCONTROLSEX init{};
  init.dwSize = sizeof(init);
  init.dwICC = ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&init);
  tooltip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr));
  if (!tooltip_) return;
  tool_info_ = TOOLINFOW{};
  tool_info_.cbSize = TTTOOLINFOW_V2_SIZE;
  tool_info_.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
  tool_info_.hwnd = hwnd;
  tool_info_.uId = reinterpret_cast<UINT_PTR>(hwnd);
  tool_info_.hinst = ::GetModuleHandleW(nullptr);
  tool_info_.lpszText = const_cast<wchar_t*>(L"");
  ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_info_));
}

void ControlDispatcher::OnMouseHover(POINT pt, WPARAM wparam, LPARAM lparam) {
  last_mouse_pos_ = pt;
  Control* control = ControlAt(pt);
  if (!control || control->GetWindow() != &host_) return;
  if (event_hover_) SendTo(event_hover_, kEventMouseHover, wparam, lparam, pt);
  control = event_hover_;
  if (!control) return;
  const std::wstring text = control->GetToolTipText();
  if (text.empty()) return;
  EnsureToolTip();
  if (!tooltip_) return;
  tool_info_.lpszText = const_cast<wchar_t*>(text.c_str());
  tool_info_.rect = control->GetPos();
  ::SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, kToolTipMaxWidth);
  ::SendMessageW(tooltip_.get(), TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool_info_));
  POINT screen = pt;
  ::ClientToScreen(host_.GetHWND(), &screen);
  ::SendMessageW(tooltip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x + 12, screen.y + 20));
  ::SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_info_));
  // The text buffer belongs to this call; the tooltip copied it.
  tool_info_.lpszText = const_cast<wchar_t*>(L"");
  tooltip_shown_ = true;
}

void ControlDispatcher::HideToolTip() {
  if (!tooltip_ || !tooltip_shown_) return;
  ::SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool_info_));
  tooltip_shown_ = false;
}

void ControlDispatcher::OnMouseLeave() {
  HideToolTip();
  // The synthetic move finds no control at (-1,-1), so the hovered control
  // gets its leave event; tracking stays on until it has been sent so the
  // move does not start tracking again.
  if (tracking_) {
    ::SendMessageW(host_.GetHWND(), WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
  }
  tracking_ = false;
}

void ControlDispatcher::LoseMouse() {
  HideToolTip();
  // The leave tracking is dropped with the hover: the first move after the
  // box closes arms it again and makes the control under the mouse hot anew.
  if (tracking_) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_CANCEL | TME_LEAVE | TME_HOVER;
    track.hwndTrack = host_.GetHWND();
    ::TrackMouseEvent(&track);
    tracking_ = false;
  }
  new_hover_ = nullptr;
  if (Control* hover = event_hover_) {
    event_hover_ = nullptr;
    SendTo(hover, kEventMouseLeave, 0, 0, last_mouse_pos_);
  }
}

// --- touch and pointer input ----------------------------------------------------

bool ControlDispatcher::IsPromotedFromRoutedTouch() const {
  return touch_routed_ && IsMadeUpFromTouch(static_cast<ULONG_PTR>(::GetMessageExtraInfo()));
}

bool ControlDispatcher::OnTouch(WPARAM wparam, LPARAM lparam) {
  HWND hwnd = host_.GetHWND();
  auto input = reinterpret_cast<HTOUCHINPUT>(lparam);
  std::vector<TOUCHINPUT> contacts;
  // Unreadable contacts stay with the default procedure, which also closes
  // the handle.
  if (!hwnd || !window_os::ReadTouchInputs(input, LOWORD(wparam), contacts)) return false;
  touch_routed_ = true;
  for (const TOUCHINPUT& contact : contacts) {
    // Screen coordinates in hundredths of a pixel.
    POINT pt{contact.x / 100, contact.y / 100};
    ::ScreenToClient(hwnd, &pt);
    if (contact.dwFlags & TOUCHEVENTF_DOWN) {
      ContactDown(touch_, contact.dwID, pt, wparam, lparam);
    } else if (contact.dwFlags & TOUCHEVENTF_UP) {
      ContactUp(touch_, contact.dwID, pt, wparam, lparam);
    } else if (contact.dwFlags & TOUCHEVENTF_MOVE) {
      ContactMove(touch_, contact.dwID, pt, wparam, lparam);
    }
  }
  window_os::CloseTouchInput(input);
  return true;
}

bool ControlDispatcher::OnPointer(UINT message, WPARAM wparam, LPARAM lparam) {
  // Everything needed comes with the message (id in wParam, screen point in
  // lParam), so no pointer-information call can fail here. The mouse never
  // arrives as a pointer: the program does not ask for that.
  HWND hwnd = host_.GetHWND();
  if (!hwnd) return false;
  const DWORD id = PointerIdOf(wparam);
  if (message == kWmPointerCaptureChanged) {
    if (pointer_.control && pointer_.id == id) DropContact(pointer_);
    return false;
  }
  POINT pt = PointOf(lparam);
  ::ScreenToClient(hwnd, &pt);
  // A held contact claims every pointer message (another contact is ignored
  // on purpose, and must not come back as mouse input); without one, only a
  // press that reached a control is claimed, and the rest go to the default
  // procedure.
  const bool held = pointer_.control != nullptr;
  if (message == kWmPointerDown) {
    ContactDown(pointer_, id, pt, wparam, lparam);
  } else if (message == kWmPointerUp) {
    ContactUp(pointer_, id, pt, wparam, lparam);
  } else {
    ContactMove(pointer_, id, pt, wparam, lparam);
  }
  return held || pointer_.control != nullptr;
}

void ControlDispatcher::ContactDown(ContactCapture& capture, DWORD id, POINT pt, WPARAM wparam,
                                    LPARAM lparam) {
  // One contact at a time holds a control; others are ignored until it lifts.
  if (capture.control) return;
  last_mouse_pos_ = pt;
  Control* control = FocusControlAt(pt);
  if (!control) return;
  capture.control = control;
  capture.id = id;
  SendTo(control, kEventPointerDown, wparam, lparam, pt);
}

void ControlDispatcher::ContactMove(ContactCapture& capture, DWORD id, POINT pt, WPARAM wparam,
                                    LPARAM lparam) {
  if (!capture.control || capture.id != id) return;
  last_mouse_pos_ = pt;
  SendTo(capture.control, kEventPointerMove, wparam, lparam, pt);
}

void ControlDispatcher::ContactUp(ContactCapture& capture, DWORD id, POINT pt, WPARAM wparam,
                                  LPARAM lparam) {
  if (!capture.control || capture.id != id) return;
  last_mouse_pos_ = pt;
  Control* control = capture.control;
  capture.control = nullptr;
  SendTo(control, kEventPointerUp, wparam, lparam, pt);
}

}  // namespace ui
