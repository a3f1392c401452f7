// Owns one GdiplusStartup / GdiplusShutdown pair. GDI+ must be started
// before any image is decoded or text drawn, and shut down only after every
// GDI+ object is gone.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

namespace ui {

class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    status_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  ~GdiplusSession() {
    if (status_ == Gdiplus::Ok) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  bool IsStarted() const { return status_ == Gdiplus::Ok; }

 private:
  ULONG_PTR token_ = 0;
  Gdiplus::Status status_ = Gdiplus::GenericError;
};

}  // namespace ui
