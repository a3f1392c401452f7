// Helpers shared by the render tests: a GDI+ session for the whole test
// program, pixel readers over a context's bitmap, source images with known
// pixels, and PNG output of a rendering for a person to look at.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/unique_any.h"
#include "support/paths.h"
#include "support/png_file.h"
#include "support/text.h"
#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/render/gdi_bitmap.h"
#include "ui/render/gdiplus_render_factory.h"
#include "ui/render/gdiplus_session.h"
#include "ui/render/render_context.h"

namespace render_test {

struct Pixel {
  BYTE b, g, r, a;
  bool operator==(const Pixel& o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
};

inline Pixel PixelOf(ui::IRenderContext& context, int x, int y) {
  ::GdiFlush();
  // Contexts are made top-down unless a test asks otherwise.
  const BYTE* p = context.GetBits() + (static_cast<size_t>(y) * context.GetWidth() + x) * 4;
  return Pixel{p[0], p[1], p[2], p[3]};
}

// Pixels of `rect` whose alpha is non-zero.
inline int CountInk(ui::IRenderContext& context, const RECT& rect) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x)
      if (PixelOf(context, x, y).a != 0) ++count;
  return count;
}

inline BYTE MaxAlpha(ui::IRenderContext& context, const RECT& rect) {
  BYTE best = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) best = std::max(best, PixelOf(context, x, y).a);
  return best;
}

// The bounding box of the inked pixels of the whole bitmap; empty if none.
inline RECT InkBounds(ui::IRenderContext& context) {
  RECT box = {context.GetWidth(), context.GetHeight(), 0, 0};
  for (int y = 0; y < context.GetHeight(); ++y)
    for (int x = 0; x < context.GetWidth(); ++x)
      if (PixelOf(context, x, y).a != 0) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  if (box.right <= box.left) box = RECT{0, 0, 0, 0};
  return box;
}

// The alpha bytes of the whole bitmap, for comparing two renderings.
inline std::vector<BYTE> AlphaPlane(ui::IRenderContext& context) {
  std::vector<BYTE> plane;
  for (int y = 0; y < context.GetHeight(); ++y)
    for (int x = 0; x < context.GetWidth(); ++x) plane.push_back(PixelOf(context, x, y).a);
  return plane;
}

// A 32-bit top-down source image whose pixels come from `colour(x, y)`
// (premultiplied BGRA packed as 0xAARRGGBB), as the image cache makes them.
template <typename ColourOf>
base::unique_hbitmap MakeImage(int width, int height, ColourOf colour) {
  ui::GdiBitmap image;
  if (!image.Init(nullptr, width, height)) return base::unique_hbitmap();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const DWORD packed = colour(x, y);
      std::memcpy(image.PixelAt(x, y), &packed, sizeof(packed));
    }
  return base::unique_hbitmap(image.DetachBitmap());
}

inline DWORD PackedOf(const Pixel& p) {
  return (DWORD(p.a) << 24) | (DWORD(p.r) << 16) | (DWORD(p.g) << 8) | p.b;
}

// Saves the context's pixels as $ORVANE_BINARY_DIR/screenshots/<name>.png.
// Returns the Windows path written, or empty when it could not be saved.
inline std::wstring SaveScreenshot(ui::IRenderContext& context, const std::wstring& name) {
  const std::wstring path = test_support::ScreenshotFolder() + L"\\" + name + L".png";
  if (test_support::SavePremultipliedPng(context.GetBits(), context.GetWidth(), context.GetHeight(),
                                         context.GetWidth() * 4, path)) {
    return path;
  }
  ADD_FAILURE() << "could not save " << test_support::Utf8(path);
  return L"";
}

// Fonts and colours as global.xml declares them for the installer's skins,
// and a factory drawing with them. GDI+ runs for the whole fixture.
class RenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { session_ = new ui::GdiplusSession(); }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(session_->IsStarted()) << "GDI+ did not start";
    fonts_.AddFont(L"system_12", L"system", 12, false, false, false, true);
    fonts_.AddFont(L"system_14", L"system", 14, false, false, false, false);
    fonts_.AddFont(L"system_16", L"system", 16, false, false, false, false);
    fonts_.AddFont(L"system_bold_36", L"system", 36, true, false, false, false);
    colors_.AddColor(L"white", L"#ffffffff");
    colors_.AddColor(L"green", L"#ff00bb96");
    colors_.AddColor(L"darkcolor", L"#ff333333");
    factory_ = std::make_unique<ui::RenderFactory_GdiPlus>(&fonts_, &colors_);
  }

  std::unique_ptr<ui::IRenderContext> MakeContext(int width, int height) {
    auto context = factory_->CreateRenderContext();
    context->Resize(width, height);
    return context;
  }

  static inline ui::GdiplusSession* session_ = nullptr;
  ui::FontTable fonts_;
  ui::ColorTable colors_;
  std::unique_ptr<ui::IRenderFactory> factory_;
};

}  // namespace render_test
