#include "support/png_file.h"

#include <objidl.h>

#include <gdiplus.h>

#include <vector>

namespace test_support {
namespace {

bool FindPngEncoder(CLSID* clsid) {
  UINT count = 0, bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<BYTE> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

}  // namespace

bool SavePng(Gdiplus::Bitmap& bitmap, const std::wstring& path) {
  CLSID png{};
  return FindPngEncoder(&png) && bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool WritePng(const std::wstring& path, int width, int height,
              const std::function<DWORD(int x, int y)>& argb_at) {
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(argb_at(x, y)));
  }
  return SavePng(bitmap, path);
}

bool SavePremultipliedPng(const BYTE* pixels, int width, int height, int stride,
                          const std::wstring& path) {
  ::GdiFlush();
  // GDI+ only reads the pixels; the constructor's signature is not const.
  Gdiplus::Bitmap bitmap(width, height, stride, PixelFormat32bppPARGB, const_cast<BYTE*>(pixels));
  return SavePng(bitmap, path);
}

}  // namespace test_support
