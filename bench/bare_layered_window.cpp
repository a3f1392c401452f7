// The baseline of the first-paint benchmark: the least a program can do to
// put a window of the installer's size on screen the way the installer does,
// with nothing but Win32: register a class, create a 988 x 653 layered window,
// fill a 32-bit premultiplied DIB once, hand it to UpdateLayeredWindow, show
// the window and wait for messages. bench_first_paint.exe starts it.
//
// With an API host ("name:port") it first makes the one request the
// installer waits for before its window appears: a bare WinHTTP POST of the
// version question over HTTPS to that host, its answer read to the end.
//
// Usage: bench_bare_layered_window.exe [API_HOST:PORT]
#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "app/install/version/version_query.h"
#include "base/unique_winhttp.h"

namespace {

constexpr int kWidth = 988;
constexpr int kHeight = 653;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

// Opaque light panel with a green band at the top, so the painted window
// differs from the empty screen all over.
bool PaintOnce(HWND hwnd, int x, int y) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (memory && bitmap && bits) {
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int row = 0; row < kHeight; ++row) {
      uint32_t colour = row < 60 ? 0xFF00BB96u : 0xFFF5F7FAu;
      for (int col = 0; col < kWidth; ++col) pixels[row * kWidth + col] = colour;
    }
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    POINT dest{x, y};
    SIZE size{kWidth, kHeight};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ok = ::UpdateLayeredWindow(hwnd, screen, &dest, &size, memory, &source, 0, &blend, ULW_ALPHA) != FALSE;
    ::SelectObject(memory, old);
  }
  if (bitmap) ::DeleteObject(bitmap);
  if (memory) ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

// True when the host answered the POST with a status and a body read to its end.
bool PostVersionQuestion(const std::wstring& host_and_port) {
  const size_t colon = host_and_port.rfind(L':');
  const std::wstring host = host_and_port.substr(0, colon);
  const INTERNET_PORT port = colon == std::wstring::npos
                                 ? INTERNET_DEFAULT_HTTPS_PORT
                                 : static_cast<INTERNET_PORT>(std::wcstoul(host_and_port.c_str() + colon + 1, nullptr, 10));
  base::unique_winhttp session(::WinHttpOpen(L"Bare", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  base::unique_winhttp connection(session ? ::WinHttpConnect(session.get(), host.c_str(), port, 0) : nullptr);
  base::unique_winhttp request(connection ? ::WinHttpOpenRequest(connection.get(), L"POST", app::kClientVersionPath,
                                                                 nullptr, WINHTTP_NO_REFERER,
                                                                 WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                                          : nullptr);
  if (!request) return false;
  char body[] = "{\"clientType\":4}";
  const DWORD length = sizeof(body) - 1;
  if (!::WinHttpSendRequest(request.get(), L"Content-Type: application/json", static_cast<DWORD>(-1L), body,
                            length, length, 0) ||
      !::WinHttpReceiveResponse(request.get(), nullptr)) {
    return false;
  }
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return false;
  }
  char buffer[4096];
  DWORD read = 0;
  while (::WinHttpReadData(request.get(), buffer, sizeof(buffer), &read) && read > 0) {
  }
  return status != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  // A failed request shows no window, so the benchmark counts the run as failed.
  if (command_line && *command_line && !PostVersionQuestion(command_line)) return 1;

  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = L"BareLayeredWindow";
  if (!::RegisterClassExW(&window_class)) return 1;

  // Centred on the primary work area, as the installer centres its window.
  RECT work{0, 0, 1280, 800};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int x = work.left + (work.right - work.left - kWidth) / 2;
  int y = work.top + (work.bottom - work.top - kHeight) / 2;
  HWND hwnd = ::CreateWindowExW(WS_EX_LAYERED, L"BareLayeredWindow", L"Bare layered window",
                                WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU, x, y, kWidth, kHeight, nullptr,
                                nullptr, instance, nullptr);
  if (!hwnd) return 1;
  if (!PaintOnce(hwnd, x, y)) return 1;
  ::ShowWindow(hwnd, SW_SHOWNORMAL);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
