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

#include <string>

namespace ui {

// The object side of one native window: the HWND it is bound to, the
// procedure it chains to, and what its class and procedure ask of it.
// Window is the one kind; WindowClass knows windows only through this, so
// neither depends on the other.
class NativeWindow {
 public:
  // The registered class name; a window must supply one.
  virtual std::wstring WindowClassName() const = 0;
  // A system class to superclass instead of registering a new class.
  virtual std::wstring SuperClassName() const = 0;
  virtual UINT WindowClassStyle() const = 0;
  virtual LRESULT RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;

 protected:
  ~NativeWindow() = default;

  HWND hwnd_ = nullptr;
  WNDPROC chained_proc_ = ::DefWindowProcW;

 private:
  // Binds the HWND on WM_NCCREATE and reports its end on WM_NCDESTROY.
  friend class WindowClass;

  // The native window is gone (WM_NCDESTROY, after the object was unbound
  // from it).
  virtual void OnNativeWindowGone(HWND hwnd) = 0;
};

class WindowClass {
 public:
  // Registers the class `window` names (WindowClassName, SuperClassName,
  // WindowClassStyle). A class registered earlier counts as success. False
  // when the window names no class or the system refused it.
  static bool Register(NativeWindow& window);

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
