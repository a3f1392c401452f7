// The event record of the UI framework and the event type numbers.
//
// Events travel from the window to a control and then bubble up through its
// ancestors (Control::SendEvent). The numbers are part of the skin
// vocabulary: Event and BubbledEvent elements name them ("buttondown", ...),
// and code attaches handlers by number (click = 41 has no skin name).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class Control;

enum EventType : int {
  // 0 to 3 are internal: 0 is handled like a button press, 1 asks for a
  // context menu, 2 and 3 set the hot alpha to 255 and 0.
  kEventInternalButtonDown = 0,
  kEventInternalMenu = 1,
  kEventInternalHotAlphaFull = 2,
  kEventInternalHotAlphaZero = 3,
  // What an Event element with an unknown name attaches to.
  kEventUnknown = 4,
  kEventAll = 6,
  kEventKeyDown = 8,
  kEventKeyUp = 9,
  kEventChar = 10,
  kEventSysKey = 11,
  kEventImeStartComposition = 12,
  kEventImeEndComposition = 13,
  // 14 to 24 are the mouse events a disabled control hands to its parent.
  kEventMouseMove = 14,
  kEventMouseEnter = 15,
  kEventMouseLeave = 16,
  kEventMouseHover = 17,
  kEventMouseButtonDown = 18,
  kEventMouseButtonUp = 19,
  kEventMouseRightButtonDown = 20,
  kEventMouseRightButtonUp = 21,
  kEventMouseDoubleClick = 22,
  kEventMouseMenu = 23,
  kEventMouseScrollWheel = 24,
  kEventTouchDown = 25,
  kEventTouchMove = 26,
  kEventTouchUp = 27,
  kEventPointerDown = 32,
  kEventPointerMove = 33,
  kEventPointerUp = 34,
  kEventSetFocus = 36,
  kEventKillFocus = 37,
  kEventWindowSize = 38,
  kEventWindowClose = 39,
  kEventSetCursor = 40,
  kEventClick = 41,
  kEventSelect = 42,
  kEventUnSelect = 43,
  kEventReturn = 45,
  kEventTab = 46,
  kEventScrollChange = 50,
  kEventValueChange = 51,
  kEventResize = 52,
  kEventLast = 53,
};

inline bool IsMouseEventType(int type) {
  return type >= kEventMouseMove && type <= kEventMouseScrollWheel;
}

// The skin name of an event ("buttondown", "all", ...) to its number; any
// name not in the vocabulary gives kEventUnknown.
EventType EventTypeFromName(const std::wstring& name);

struct EventArgs {
  EventArgs() = default;
  EventArgs(EventType event_type, Control* event_sender, WPARAM w = 0, LPARAM l = 0)
      : type(event_type), sender(event_sender), wParam(w), lParam(l) {}

  EventType type = kEventUnknown;
  Control* sender = nullptr;
  DWORD timestamp = 0;  // milliseconds since system start (GetTickCount)
  POINT mousePoint{0, 0};  // client coordinates of the window
  wchar_t keyChar = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// An event handler. Returning false stops the rest of the dispatch chain and
// the control's own handling.
using EventCallback = std::function<bool(EventArgs*)>;

}  // namespace ui
