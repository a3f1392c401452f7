// How a Window becomes a native window: the class it is created from
// (registered fresh, or as a superclass of an existing class whose procedure
// keeps doing the work) and the window procedure that finds the object of
// each HWND and hands it the messages.
//
// The procedure is the boundary between the system and our code: nothing
// thrown may pass it, and WM_NCDESTROY unbinds the object before the window
// hears that its native window is gone.
#pragma once

#include <windows.h>

namespace ui {

class Window;

class WindowClass {
 public:
  // Registers the class `window` names (WindowClassName, SuperClassName,
  // WindowClassStyle). A class registered earlier counts as success. False
  // when the window names no class or the system refused it.
  static bool Register(Window& window);

 private:
  // One procedure per way of finding the object: a class of our own keeps it
  // in GWLP_USERDATA; a superclass keeps it in a window property, since the
  // base class may use the user data itself.
  template <bool kSuperclassed>
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  template <bool kSuperclassed>
  static LRESULT Route(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

}  // namespace ui
