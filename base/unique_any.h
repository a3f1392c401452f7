// Move-only owners for Win32 handles, one type per release function.
//
// Each owner holds one handle and releases it with the function named in its
// type, so the wrong release for a handle is a type error rather than a leak.
// Releasing keeps the caller's last-error code, because cleanup often runs on
// an error path whose GetLastError() the caller still wants to read.
#pragma once

#include <windows.h>

#include <utility>

namespace base {

// Keeps GetLastError() across code that may change it.
class last_error_context {
 public:
  last_error_context() : error_(::GetLastError()) {}
  ~last_error_context() { ::SetLastError(error_); }
  last_error_context(const last_error_context&) = delete;
  last_error_context& operator=(const last_error_context&) = delete;

 private:
  DWORD error_;
};

// The value that means "nothing held": null for most handles.
struct null_is_invalid {
  template <typename T>
  static T value() { return T{}; }
};
// For handles from CreateFile and snapshots, whose "none" is INVALID_HANDLE_VALUE.
struct invalid_handle_is_invalid {
  template <typename T>
  static T value() { return INVALID_HANDLE_VALUE; }
};

// Owner of a value of type T released by Close(value).
template <typename T, auto Close, typename InvalidPolicy = null_is_invalid>
class unique_any {
  static T Invalid() { return InvalidPolicy::template value<T>(); }

 public:
  unique_any() = default;
  explicit unique_any(T value) : value_(value) {}
  ~unique_any() { reset(); }

  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return value_; }
  bool is_valid() const { return value_ != Invalid(); }
  explicit operator bool() const { return is_valid(); }

  // Gives up ownership without releasing.
  T release() { return std::exchange(value_, Invalid()); }

  void reset() { reset(Invalid()); }
  void reset(T value) {
    T old = std::exchange(value_, value);
    if (old != Invalid()) {
      last_error_context keep_error;
      Close(old);
    }
  }

  // For out-parameters: releases what is held first.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Invalid();
};

namespace detail {
inline void CloseHandleValue(HANDLE h) { ::CloseHandle(h); }
inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DeleteDcValue(HDC h) { ::DeleteDC(h); }
inline void DestroyWindowValue(HWND h) { ::DestroyWindow(h); }
inline void CloseRegKey(HKEY h) { ::RegCloseKey(h); }
inline void DestroyIconValue(HICON h) { ::DestroyIcon(h); }
inline void FreeLibraryValue(HMODULE h) { ::FreeLibrary(h); }
inline void DeleteRgnValue(HRGN h) { ::DeleteObject(h); }
inline void FreeGlobalValue(HGLOBAL h) { ::GlobalFree(h); }
}  // namespace detail

using unique_handle = unique_any<HANDLE, detail::CloseHandleValue>;
using unique_hfile = unique_any<HANDLE, detail::CloseHandleValue, invalid_handle_is_invalid>;
using unique_hgdiobj = unique_any<HGDIOBJ, detail::DeleteGdiObject>;
using unique_hdc = unique_any<HDC, detail::DeleteDcValue>;
using unique_hwnd = unique_any<HWND, detail::DestroyWindowValue>;
using unique_hkey = unique_any<HKEY, detail::CloseRegKey>;
using unique_hicon = unique_any<HICON, detail::DestroyIconValue>;
using unique_hmodule = unique_any<HMODULE, detail::FreeLibraryValue>;
using unique_hrgn = unique_any<HRGN, detail::DeleteRgnValue>;
// A block from GlobalAlloc, given back with GlobalFree.
using unique_hglobal = unique_any<HGLOBAL, detail::FreeGlobalValue>;

template <typename GdiHandle>
void DeleteTypedGdiObject(GdiHandle h) {
  ::DeleteObject(h);
}
using unique_hfont = unique_any<HFONT, DeleteTypedGdiObject<HFONT>>;
using unique_hbitmap = unique_any<HBITMAP, DeleteTypedGdiObject<HBITMAP>>;
using unique_hbrush = unique_any<HBRUSH, DeleteTypedGdiObject<HBRUSH>>;
using unique_hpen = unique_any<HPEN, DeleteTypedGdiObject<HPEN>>;

// A DC from GetDC/GetWindowDC, given back with ReleaseDC.
class unique_hdc_window {
 public:
  unique_hdc_window() = default;
  unique_hdc_window(HWND hwnd, HDC dc) : hwnd_(hwnd), dc_(dc) {}
  static unique_hdc_window For(HWND hwnd) { return unique_hdc_window(hwnd, ::GetDC(hwnd)); }
  ~unique_hdc_window() { reset(); }
  unique_hdc_window(unique_hdc_window&& o) noexcept
      : hwnd_(std::exchange(o.hwnd_, nullptr)), dc_(std::exchange(o.dc_, nullptr)) {}
  unique_hdc_window& operator=(unique_hdc_window&& o) noexcept {
    if (this != &o) {
      reset();
      hwnd_ = std::exchange(o.hwnd_, nullptr);
      dc_ = std::exchange(o.dc_, nullptr);
    }
    return *this;
  }
  unique_hdc_window(const unique_hdc_window&) = delete;
  unique_hdc_window& operator=(const unique_hdc_window&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_) {
      last_error_context keep_error;
      ::ReleaseDC(hwnd_, dc_);
    }
    hwnd_ = nullptr;
    dc_ = nullptr;
  }

 private:
  HWND hwnd_ = nullptr;
  HDC dc_ = nullptr;
};

// BeginPaint/EndPaint pair for WM_PAINT.
class unique_hdc_paint {
 public:
  explicit unique_hdc_paint(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
  ~unique_hdc_paint() {
    if (dc_) ::EndPaint(hwnd_, &ps_);
  }
  unique_hdc_paint(const unique_hdc_paint&) = delete;
  unique_hdc_paint& operator=(const unique_hdc_paint&) = delete;
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint_struct() const { return ps_; }

 private:
  HWND hwnd_;
  HDC dc_ = nullptr;
  PAINTSTRUCT ps_{};
};

// Selects an object into a DC and selects the previous one back on release.
// Movable, so a DC's long-lived selection can be a member. Each owner puts
// back what the DC held when it selected, so reset the old selection before
// making a new one in the same DC.
class unique_select_object {
 public:
  unique_select_object() = default;
  unique_select_object(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~unique_select_object() { reset(); }
  unique_select_object(unique_select_object&& o) noexcept
      : dc_(std::exchange(o.dc_, nullptr)), previous_(std::exchange(o.previous_, nullptr)) {}
  unique_select_object& operator=(unique_select_object&& o) noexcept {
    if (this != &o) {
      reset();
      dc_ = std::exchange(o.dc_, nullptr);
      previous_ = std::exchange(o.previous_, nullptr);
    }
    return *this;
  }
  unique_select_object(const unique_select_object&) = delete;
  unique_select_object& operator=(const unique_select_object&) = delete;
  // Selects the previous object back; nothing is selected by this owner then.
  void reset() {
    if (dc_ && previous_) ::SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace base
