#include "widgets_fixture.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/unique_any.h"
#include "ui/box.h"
#include "ui/global_resources.h"
#include "ui/render_context.h"
#include "ui/skin_builder.h"

namespace widgets_test {
namespace {

// The installer's global.xml entries its skins use, and one string id.
const char kGlobalXml[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Global>
  <Font id="system_12" name="system" size="12" default="true"/>
  <Font id="system_14" name="system" size="14"/>
  <Font id="system_18" name="system" size="18"/>
  <Font id="system_22" name="system" size="22"/>
  <Font id="system_bold_14" name="system" size="14" bold="true"/>
  <TextColor name="black" value="#ff000000"/>
  <TextColor name="white" value="#ffffffff"/>
  <TextColor name="green" value="#ff00bb96"/>
  <TextColor name="gray" value="#ff8e99a6"/>
  <TextColor name="darkcolor" value="#ff333333"/>
  <TextColor name="hotred" value="#ffee2020"/>
  <TextColor name="textdefaultcolor" value="#ff333333"/>
  <TextColor name="textdefaultdisablecolor" value="#ffa1aebc"/>
  <Class name="btn_primary" font="system_bold_14" normaltextcolor="white" normalimage="file='../public/button/btn_primary_normal.png'" hotimage="file='../public/button/btn_primary_normal.png'" pushedimage="file='../public/button/btn_primary_normal.png'" disabledimage="file='../public/button/btn_primary_normal.png' fade='80'"/>
  <Class name="checkbox_green" height="16" textpadding="22,0,0,0" font="system_14" normaltextcolor="darkcolor" normalimage="file='../public/CheckBox/check_no2.png' dest='0,0,16,16'" disabledimage="file='../public/CheckBox/check_no2.png' dest='0,0,16,16' fade='80'" selectednormalimage="file='../public/CheckBox/check_green_yes2.png' dest='0,0,16,16'" selecteddisabledimage="file='../public/CheckBox/check_green_yes2.png' dest='0,0,16,16' fade='80'"/>
</Global>
)";

const char kStrings[] =
    "\xEF\xBB\xBF;Strings of the widget tests\n"
    "STRID_WIDGETS_TITLE=\xE5\xAE\x89\xE8\xA3\x85\xE5\x90\x91\xE5\xAF\xBC\n"  // 安装向导
    "STRID_WIDGETS_OK=OK\n";

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  ::CloseHandle(file);
  return ok;
}

void MakeDirs(const std::wstring& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') ::CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
}

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  if (size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, size, encoders);
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(encoders[i].MimeType) == L"image/png") {
      *clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

// A PNG of width x height whose pixel colours come from colour(x, y) (ARGB).
template <typename ColourOf>
bool WritePng(const std::wstring& path, int width, int height, ColourOf colour) {
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(colour(x, y)));
  CLSID png;
  return PngEncoder(&png) && bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

::testing::AssertionResult StartOnce() {
  const std::wstring root = BinaryDir() + L"\\tests\\widgets_fixture\\";
  const std::wstring theme = root + L"themes\\default\\";
  MakeDirs(theme + L"basic");
  MakeDirs(theme + L"public\\CheckBox");
  MakeDirs(theme + L"public\\button");
  MakeDirs(root + L"lang\\zh_CN");
  if (!WriteFileBytes(theme + L"global.xml", kGlobalXml) ||
      !WriteFileBytes(root + L"lang\\zh_CN\\gdstrings.ini", kStrings)) {
    return ::testing::AssertionFailure() << "could not write the test resources under " << root;
  }
  if (!ui::GlobalResources::Startup(root, {}, false, L"themes\\default", L"lang\\zh_CN"))
    return ::testing::AssertionFailure() << "the framework did not start (GDI+)";
  // The images are written once GDI+ runs; they are decoded when first drawn.
  bool images =
      WritePng(theme + L"public\\CheckBox\\check_no2.png", 16, 16,
               [](int x, int y) {
                 bool edge = x == 0 || y == 0 || x == 15 || y == 15;
                 return edge ? kCheckNoBorder : kCheckNoInside;
               }) &&
      WritePng(theme + L"public\\CheckBox\\check_green_yes2.png", 16, 16,
               [](int, int) { return kCheckYes; }) &&
      WritePng(theme + L"public\\button\\btn_primary_normal.png", 40, 20,
               [](int, int) { return kButtonImage; });
  if (!images) return ::testing::AssertionFailure() << "could not write the test images";
  return ::testing::AssertionSuccess();
}

}  // namespace

std::wstring BinaryDir() {
  const wchar_t* binary = ::_wgetenv(L"ORVANE_BINARY_DIR");
  if (!binary || !*binary) {
    // Without the variable: the build folder is the parent of the folder the
    // test program was built into (<build>\tests\widgets_tests.exe).
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    for (int up = 0; up < 2; ++up) {
      size_t slash = path.find_last_of(L"\\/");
      path = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
    }
    return path;
  }
  std::wstring path = binary;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  // A Unix path from the build reaches the program as it is; Wine's Z: drive
  // is the Unix root.
  if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
  return path;
}

::testing::AssertionResult StartFramework() {
  static const ::testing::AssertionResult started = StartOnce();
  return started;
}

std::unique_ptr<test_support::OffscreenHost> MakeHost(int width, int height) {
  auto host = std::make_unique<test_support::OffscreenHost>(width, height);
  host->SetResourceSubPath(L"basic\\");
  return host;
}

bool WriteSkinFile(const std::wstring& relative_path, const std::string& bytes) {
  const std::wstring path = ui::GlobalResources::GetResourcePath() + relative_path;
  base::unique_hfile file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

ui::Control* BuildInto(test_support::OffscreenHost& host, const std::wstring& xml) {
  ui::SkinBuilder builder;
  ui::Control* root = builder.Create(xml, {}, &host);
  if (!root) return nullptr;
  host.AttachRoot(root);
  host.LayoutIfNeeded();
  return root;
}

std::wstring SaveScreenshot(const test_support::OffscreenHost& host, const std::wstring& name) {
  const std::wstring dir = BinaryDir() + L"\\screenshots";
  ::CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring path = dir + L"\\" + name + L".png";
  return host.SavePng(path) ? path : std::wstring();
}

}  // namespace widgets_test
