#include "ui/window/window_os.h"

namespace ui::window_os {

bool IsVistaOrLater() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = 6;
  info.dwMinorVersion = 0;
  info.wServicePackMajor = 0;
  DWORDLONG mask = 0;
  mask = ::VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = ::VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  mask = ::VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return ::VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                              mask) != FALSE;
}

namespace {

template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

void RegisterTouch(HWND hwnd) {
  using Fn = BOOL(WINAPI*)(HWND, ULONG);
  static const Fn fn = User32Function<Fn>("RegisterTouchWindow");
  if (fn && hwnd) fn(hwnd, 0);
}

void UnregisterTouch(HWND hwnd) {
  using Fn = BOOL(WINAPI*)(HWND);
  static const Fn fn = User32Function<Fn>("UnregisterTouchWindow");
  if (fn && hwnd) fn(hwnd);
}

bool ReadTouchInputs(HTOUCHINPUT input, UINT count, std::vector<TOUCHINPUT>& inputs) {
  using Fn = BOOL(WINAPI*)(HTOUCHINPUT, UINT, PTOUCHINPUT, int);
  static const Fn fn = User32Function<Fn>("GetTouchInputInfo");
  inputs.clear();
  if (!fn || !input || count == 0) return false;
  inputs.resize(count);
  if (!fn(input, count, inputs.data(), sizeof(TOUCHINPUT))) {
    inputs.clear();
    return false;
  }
  return true;
}

void CloseTouchInput(HTOUCHINPUT input) {
  using Fn = BOOL(WINAPI*)(HTOUCHINPUT);
  static const Fn fn = User32Function<Fn>("CloseTouchInputHandle");
  if (fn && input) fn(input);
}

}  // namespace ui::window_os
