// Turns a window's input messages into control events.
//
// The dispatcher keeps the window's interaction state: the focused control,
// the control under the mouse and the hovered one (which receives the mouse
// events), the pressed control that holds the mouse capture, the control
// that received the last key-down, the controls held by a touch contact and
// by a pen or touch pointer, and the tooltip. It runs after the window's own
// hooks, for the messages they left.
//
// Touch (WM_TOUCH) and pointer (WM_POINTER*) input reach controls like the
// mouse, as pointer press, move and release events: the control a contact
// went down on holds that contact until it lifts, and mouse moves do not
// change the hovered control meanwhile.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/unique_any.h"
#include "ui/controls/event_args.h"

namespace ui {

class Control;
class IControlHost;

// Whether a mouse message's extra information (GetMessageExtraInfo) marks it
// as made up by the system from touch input; pen input is not touch.
bool IsMadeUpFromTouch(ULONG_PTR extra_info);

class ControlDispatcher {
 public:
  // How long the mouse rests before a hover event when no tooltip exists.
  static constexpr DWORD kDefaultHoverTimeMs = 400;

  // Dispatches for the tree of `host`, which outlives the dispatcher. A host
  // without a native window (null HWND) gets the same events; only what needs
  // a window (mouse tracking, tooltips, system focus, touch) is skipped.
  explicit ControlDispatcher(IControlHost& host);
  ~ControlDispatcher();
  ControlDispatcher(const ControlDispatcher&) = delete;
  ControlDispatcher& operator=(const ControlDispatcher&) = delete;

  // True when the message is claimed; `result` then holds its result.
  bool Dispatch(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

  Control* focused() const { return focused_; }
  Control* hovered() const { return event_hover_; }
  Control* pressed() const { return pressed_; }
  Control* touch_captured() const { return touch_.control; }
  Control* pointer_captured() const { return pointer_.control; }
  POINT last_mouse_pos() const { return last_mouse_pos_; }
  HWND tooltip_window() const { return tooltip_.get(); }

  // The control of the host's tree under `pt` (client coordinates) that
  // mouse input goes to, or null.
  Control* ControlAt(POINT pt) const;

  // Moves the keyboard focus, sending kill-focus to the old control and
  // set-focus to the new one; null clears it.
  void SetFocus(Control* control);
  // Drops every pointer to `control` (it is being destroyed).
  void Forget(Control* control);
  // Drops every pointer to `control` or any of its descendants.
  void ForgetSubtree(Control* subtree);
  // A new root: nothing is focused, hovered or pressed any more.
  void Reset();
  // Sends leave / button-up to hovered and pressed controls and clears the
  // focus (the window is closing).
  void ReleaseAll();

 private:
  void OnMouseMove(POINT pt, WPARAM wparam, LPARAM lparam);
  void OnButtonDown(UINT message, POINT pt, WPARAM wparam, LPARAM lparam);
  // The control of this window under `pt`, focused first; null when there is
  // none or focusing it destroyed it.
  Control* FocusControlAt(POINT pt);
  void OnButtonUp(UINT message, POINT pt, WPARAM wparam, LPARAM lparam);
  void OnMouseHover(POINT pt, WPARAM wparam, LPARAM lparam);
  void OnMouseLeave();
  // A modal loop took the mouse or the window was disabled (a message box
  // over it): no leave message will come, so the hovered control gets its
  // leave now and is forgotten, as it would when the mouse left the window.
  void LoseMouse();
  // Arms hover and leave tracking: hover fires once per arming, so it is
  // armed again whenever the mouse moves onto another control.
  void TrackMouse();
  // A control held by one touch contact or pen/touch pointer, by its id.
  struct ContactCapture {
    Control* control = nullptr;
    DWORD id = 0;
  };
  bool OnTouch(WPARAM wparam, LPARAM lparam);
  bool OnPointer(UINT message, WPARAM wparam, LPARAM lparam);
  void ContactDown(ContactCapture& capture, DWORD id, POINT pt, WPARAM wparam, LPARAM lparam);
  void ContactMove(ContactCapture& capture, DWORD id, POINT pt, WPARAM wparam, LPARAM lparam);
  void ContactUp(ContactCapture& capture, DWORD id, POINT pt, WPARAM wparam, LPARAM lparam);
  // Lets go of a held contact without a release at its control (the window
  // closes or lost the pointer).
  void DropContact(ContactCapture& capture);
  // A mouse message the system made up from touch input already routed as
  // WM_TOUCH.
  bool IsPromotedFromRoutedTouch() const;
  bool OnKeyDown(WPARAM wparam, LPARAM lparam);
  void MoveFocusByTab(bool backwards);
  void SendTo(Control* control, EventType type, WPARAM wparam, LPARAM lparam, POINT pt,
              wchar_t key = 0);
  void HideToolTip();
  void EnsureToolTip();
  bool IsInSubtree(Control* control, Control* subtree) const;

  IControlHost& host_;
  Control* focused_ = nullptr;
  Control* new_hover_ = nullptr;    // under the mouse
  Control* event_hover_ = nullptr;  // received the last enter event
  Control* pressed_ = nullptr;
  Control* key_pressed_ = nullptr;
  POINT last_mouse_pos_{0, 0};
  bool tracking_ = false;
  ContactCapture touch_;
  ContactCapture pointer_;
  bool touch_routed_ = false;
  // Destroying the window destroys its owned tooltip first; then this
  // handle's DestroyWindow finds nothing and does nothing.
  base::unique_hwnd tooltip_;
  TOOLINFOW tool_info_{};
  bool tooltip_shown_ = false;
};

}  // namespace ui
