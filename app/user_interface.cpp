// FIXME: A plain stand-in window until the skinned installer window exists.
// It behaves like the installer window where the process cares: class and
// title "Orvane", and closing it ends the process with exit code 1.
#include "app/user_interface.h"

#include <windows.h>

#include <cstdlib>

#include "app/product.h"

namespace app {
namespace {

LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    ::PostQuitMessage(0);
    std::exit(1);
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::DrawTextW(dc, kProductName, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::EndPaint(hwnd, &ps);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

void OpenUserInterface() {
  WNDCLASSEXW wc{sizeof(wc)};
  wc.lpfnWndProc = StandInProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kProductName;
  ::RegisterClassExW(&wc);
  HWND hwnd = ::CreateWindowExW(0, kProductName, kProductName, WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, 360, 200, nullptr, nullptr, wc.hInstance, nullptr);
  if (hwnd) ::ShowWindow(hwnd, SW_SHOWNORMAL);
}

void CloseUserInterface() {}

}  // namespace app
