// PNG files for tests: source images with known pixels, and renderings
// saved for a person to look at. GDI+ must be running (the framework's
// start-up or a ui::GdiplusSession starts it).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace Gdiplus {
class Bitmap;
}  // namespace Gdiplus

namespace test_support {

// Saves `bitmap` as a PNG at `path`. False when GDI+ has no PNG encoder or
// the file could not be written.
bool SavePng(Gdiplus::Bitmap& bitmap, const std::wstring& path);

// Writes a width x height PNG whose pixel (x, y) is `argb_at(x, y)`
// (straight, not premultiplied, alpha).
bool WritePng(const std::wstring& path, int width, int height,
              const std::function<DWORD(int x, int y)>& argb_at);

// Saves width x height premultiplied 32-bit pixels (B, G, R, A bytes, rows
// top-down, `stride` bytes apart) as a PNG.
bool SavePremultipliedPng(const BYTE* pixels, int width, int height, int stride,
                          const std::wstring& path);

}  // namespace test_support
