#include "ui/window/window_class.h"

#include <string>

namespace ui {
namespace {

// Superclassed windows find their object through this property.
constexpr wchar_t kObjectProperty[] = L"WndX";

void Bind(HWND hwnd, NativeWindow* window, bool superclassed) {
  if (superclassed) {
    ::SetPropW(hwnd, kObjectProperty, window);
  } else {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
}

NativeWindow* BoundWindow(HWND hwnd, bool superclassed) {
  if (superclassed) return static_cast<NativeWindow*>(::GetPropW(hwnd, kObjectProperty));
  return reinterpret_cast<NativeWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Unbind(HWND hwnd, bool superclassed) {
  if (superclassed) {
    ::RemovePropW(hwnd, kObjectProperty);
  } else {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  }
}

}  // namespace

bool WindowClass::Register(NativeWindow& window) {
  const std::wstring name = window.WindowClassName();
  if (name.empty()) return false;
  const std::wstring super_name = window.SuperClassName();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (super_name.empty()) {
    wc.style = window.WindowClassStyle();
    wc.lpfnWndProc = &WindowClass::Procedure<false>;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  } else {
    if (!::GetClassInfoExW(nullptr, super_name.c_str(), &wc) &&
        !::GetClassInfoExW(::GetModuleHandleW(nullptr), super_name.c_str(), &wc)) {
      return false;
    }
    // The base class's procedure does the real work; ours only comes first.
    // When the class exists already (an earlier window of it), the chained
    // procedure is still the base class's, so this holds either way.
    window.chained_proc_ = wc.lpfnWndProc;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowClass::Procedure<true>;
  }
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = name.c_str();
  if (::RegisterClassExW(&wc)) return true;
  return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

template <bool kSuperclassed>
LRESULT CALLBACK WindowClass::Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  // Every message is a boundary: nothing may escape into the system.
  try {
    return Route<kSuperclassed>(hwnd, message, wparam, lparam);
  } catch (...) {
    if (message == WM_CREATE) return -1;
    if (message == WM_NCCREATE) return FALSE;
    return 0;
  }
}

template <bool kSuperclassed>
LRESULT WindowClass::Route(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  NativeWindow* window = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    window = static_cast<NativeWindow*>(create->lpCreateParams);
    if (window) {
      window->hwnd_ = hwnd;
      Bind(hwnd, window, kSuperclassed);
    }
  } else {
    window = BoundWindow(hwnd, kSuperclassed);
  }
  if (!window) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  if (message != WM_NCDESTROY) return window->RouteMessage(message, wparam, lparam);
  const LRESULT result = ::CallWindowProcW(window->chained_proc_, hwnd, message, wparam, lparam);
  Unbind(hwnd, kSuperclassed);
  window->OnNativeWindowGone(hwnd);
  return result;
}

}  // namespace ui
