// What GlobalResources itself owns, shared by the .cpp files that define its
// static members over that state (global_resources.cpp, skin_files.cpp).
// Nobody else includes this: everyone else goes through global_resources.h.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/resources/global_resources.h"

namespace ui {

// Complete where the state is made (global_resources.cpp) and where a
// member is used.
class GdiplusSession;
class SkinArchive;

struct GlobalResourcesState {
  std::wstring resource_path;
  std::unique_ptr<SkinArchive> archive;
  std::unique_ptr<IRenderFactory> render_factory;
  CreateControlCallback create_control;
  int dpi_scale = 100;
  bool adapt_dpi = false;
  std::unique_ptr<GdiplusSession> gdiplus;
};

// The tables a skin fills are in skin_tables.cpp. This lives for the whole
// process and is deliberately never destroyed: images and fonts may still be
// held by controls while static destructors run, and nothing here needs
// tearing down at exit.
GlobalResourcesState& GetGlobalResourcesState();

// A locked view of a global block, unlocked again on every path.
class GlobalLockView {
 public:
  explicit GlobalLockView(HGLOBAL block) : block_(block), data_(::GlobalLock(block)) {}
  ~GlobalLockView() {
    if (data_) ::GlobalUnlock(block_);
  }
  GlobalLockView(const GlobalLockView&) = delete;
  GlobalLockView& operator=(const GlobalLockView&) = delete;
  const void* data() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

}  // namespace ui
