#include "window_test_support.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cmath>
#include <fstream>
#include <memory>

#include "ui/global_resources.h"

namespace window_test {
namespace {

using test_support::BinaryDir;
using test_support::WindowsPath;
using test_support::WriteFileAt;


bool PngEncoder(CLSID* clsid) {
  UINT count = 0;
  UINT size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// A 90 x 90 shadow: black whose alpha falls from 0x60 at the inner edge of a
// 14-pixel band to 0 at the outer edge (30-pixel corners, as the default
// shadow expects, and 30-pixel edges to stretch).
void WriteShadowImage(const std::wstring& path) {
  const int size = 90;
  Gdiplus::Bitmap bitmap(size, size, PixelFormat32bppARGB);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int dx = std::max({0, 14 - x, x - (size - 15)});
      const int dy = std::max({0, 14 - y, y - (size - 15)});
      const double distance = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      const int alpha = distance >= 14 ? 0 : static_cast<int>(0x60 * (1.0 - distance / 14));
      bitmap.SetPixel(x, y, Gdiplus::Color(static_cast<BYTE>(alpha), 0, 0, 0));
    }
  }
  CLSID png{};
  ASSERT_TRUE(PngEncoder(&png));
  ASSERT_EQ(Gdiplus::Ok, bitmap.Save(path.c_str(), &png, nullptr));
}

constexpr char kGlobalXml[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Global>
  <Font id="system_14" name="微软雅黑" size="14" default="true"/>
  <Font id="system_bold_18" name="微软雅黑" size="18" bold="true"/>
  <Font id="cjk_22" name="微软雅黑" size="22"/>
  <TextColor name="bk_blue" value="#ff2060a0"/>
  <TextColor name="btn_orange" value="#ffe0a020"/>
  <TextColor name="caption_green" value="#ff208040"/>
  <TextColor name="white" value="#ffffffff"/>
  <TextColor name="half_white" value="#80ffffff"/>
  <TextColor name="black" value="#ff000000"/>
  <TextColor name="textdefaultcolor" value="#ff000000"/>
  <TextColor name="textdefaultdisablecolor" value="#ff808080"/>
</Global>
)";

class FrameworkEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    root_ = WindowsPath(BinaryDir() + "/window_skins/") ;
    WriteFileAt(root_ + L"global.xml", kGlobalXml);
    ASSERT_TRUE(ui::GlobalResources::Startup(root_, {}, false, L"", L"lang"))
        << "the UI framework did not start";
    ::CreateDirectoryW((root_ + L"public").c_str(), nullptr);
    ::CreateDirectoryW((root_ + L"public\\bk").c_str(), nullptr);
    WriteShadowImage(root_ + L"public\\bk\\bk_shadow.png");
  }
  static const std::wstring& root() { return root_; }

 private:
  static std::wstring root_;
};
std::wstring FrameworkEnvironment::root_;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new FrameworkEnvironment);

}  // namespace

std::wstring SkinRoot() { return ui::GlobalResources::GetResourcePath(); }

void WriteSkin(const std::wstring& folder, const std::wstring& file, const std::string& xml) {
  WriteFileAt(SkinRoot() + folder + L"\\" + file, xml);
}

bool XClick(POINT at) {
  return Xdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) +
                 " sleep 0.1 click 1");
}

bool XDrag(POINT from, POINT to) {
  std::string script = "mousemove " + std::to_string(from.x) + " " + std::to_string(from.y) +
                       " sleep 0.1 mousedown 1 sleep 0.1";
  for (int step = 1; step <= 4; ++step) {
    const LONG x = from.x + (to.x - from.x) * step / 4;
    const LONG y = from.y + (to.y - from.y) * step / 4;
    script += " mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.05";
  }
  script += " sleep 0.1 mouseup 1";
  return Xdotool(script);
}

bool CaptureScreen(const std::wstring& name, Screenshot* shot) {
  const std::string dir = BinaryDir() + "/screenshots";
  std::string narrow_name(name.begin(), name.end());
  const std::string file = dir + "/" + narrow_name;
  if (!RunLinux("mkdir -p " + dir + " && import -display $DISPLAY -window root " + file)) {
    return false;
  }
  Gdiplus::Bitmap bitmap(WindowsPath(file).c_str());
  if (bitmap.GetLastStatus() != Gdiplus::Ok) return false;
  shot->width = static_cast<int>(bitmap.GetWidth());
  shot->height = static_cast<int>(bitmap.GetHeight());
  Gdiplus::Rect all(0, 0, shot->width, shot->height);
  Gdiplus::BitmapData data{};
  if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) !=
      Gdiplus::Ok) {
    return false;
  }
  shot->pixels.resize(static_cast<size_t>(shot->width) * shot->height);
  for (int y = 0; y < shot->height; ++y) {
    const auto* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(data.Scan0) +
                                                     static_cast<ptrdiff_t>(y) * data.Stride);
    for (int x = 0; x < shot->width; ++x) {
      shot->pixels[static_cast<size_t>(y) * shot->width + x] = row[x] & 0x00FFFFFF;
    }
  }
  bitmap.UnlockBits(&data);
  return true;
}

TestWindow::TestWindow(std::wstring folder, std::wstring file, WindowLog* log,
                       std::wstring class_name)
    : folder_(std::move(folder)),
      file_(std::move(file)),
      class_name_(std::move(class_name)),
      log_(log) {}

void TestWindow::OnSkinLoaded() {
  log_->skin_loaded = true;
  AttachWindowClose([log = log_](ui::EventArgs*) {
    log->close_event = true;
    return true;
  });
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick, ToWeakCallback([log = log_](ui::EventArgs* e) {
                               log->clicks.push_back(e->sender ? e->sender->GetName() : L"");
                               return true;
                             }));
  }
}

LRESULT TestWindow::OnCloseMessage(UINT, WPARAM, LPARAM, bool& handled) {
  ++log_->close_messages;
  log_->close_message_tick = ::GetTickCount();
  handled = false;  // destroyed by the default procedure
  return 0;
}

void TestWindow::OnFinalMessage(HWND hwnd) {
  log_->final_message = true;
  ui::WindowImplBase::OnFinalMessage(hwnd);
}

HWND TestWindow::Open(bool layered, int x, int y, HWND parent) {
  return OpenWindow(parent, L"Orvane window test", 0x00CE0000, 0, layered,
                    RECT{x, y, x, y});
}

RECT WindowRect(HWND hwnd) {
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  return rect;
}

POINT ScreenCentre(HWND hwnd, const RECT& client_rect) {
  POINT pt{(client_rect.left + client_rect.right) / 2, (client_rect.top + client_rect.bottom) / 2};
  ::ClientToScreen(hwnd, &pt);
  return pt;
}

}  // namespace window_test
