#include "controls_support.h"

#include <objidl.h>

#include <gdiplus.h>

#include <vector>

#include "ui/color_table.h"
#include "ui/global_resources.h"

namespace controls_test {
namespace {

// The build folder: $ORVANE_BINARY_DIR, else the folder above the test
// program (build/tests/controls_tests.exe).
std::wstring FromEnvironment(const wchar_t* name) {
  const wchar_t* value = ::_wgetenv(name);
  std::wstring dir;
  if (value && *value) {
    dir = value;
  } else {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    dir = module;
    for (int up = 0; up < 2; ++up) {
      size_t cut = dir.find_last_of(L"\\/");
      dir = cut == std::wstring::npos ? L"." : dir.substr(0, cut);
    }
  }
  // The build's Unix paths reach Windows programs through drive Z:.
  if (!dir.empty() && dir[0] == L'/') dir = L"Z:" + dir;
  return dir;
}

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, bytes = 0;
  Gdiplus::GetImageEncodersSize(&count, &bytes);
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

void StartFramework() {
  static bool started = false;
  if (started) return;
  started = true;
  // A resource root with nothing in it: no global.xml, no language file;
  // the tests name their images by absolute path.
  ui::GlobalResources::Startup(FromEnvironment(L"ORVANE_BINARY_DIR") + L"\\controls_empty\\",
                               {}, false, L"themes\\default", L"lang\\zh_CN");
  ui::ColorTable& colors = ui::GlobalResources::GetColorTable();
  colors.AddColor(L"red", kRed);
  colors.AddColor(L"green", kGreen);
  colors.AddColor(L"blue", kBlue);
  colors.AddColor(L"white", kWhite);
  colors.AddColor(L"black", kBlack);
  colors.AddColor(L"half_red", 0x80FF0000);
}

std::wstring ScreenshotDir() {
  std::wstring dir = FromEnvironment(L"ORVANE_BINARY_DIR") + L"\\screenshots";
  ::CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

std::wstring SolidPng(const std::wstring& name, int width, int height, DWORD argb) {
  std::wstring dir = FromEnvironment(L"ORVANE_BINARY_DIR") + L"\\controls_images";
  ::CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring path = dir + L"\\" + name + L".png";
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(argb));
  CLSID png;
  EXPECT_TRUE(PngEncoder(&png));
  EXPECT_EQ(Gdiplus::Ok, bitmap.Save(path.c_str(), &png, nullptr)) << "could not write " << name.size();
  return path;
}

ui::Control* Fixed(int width, int height) {
  auto* control = new ui::Control();
  control->SetFixedWidth(width);
  control->SetFixedHeight(height);
  return control;
}

}  // namespace controls_test
