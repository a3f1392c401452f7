#include "widgets/support/widgets_fixture.h"

#include <string>

#include "support/files.h"
#include "support/paths.h"
#include "support/png_file.h"
#include "ui/builder/skin_builder.h"
#include "ui/controls/box.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_resources.h"

namespace widgets_test {
namespace {

const char kStrings[] =
    "\xEF\xBB\xBF;Strings of the widget tests\n"
    "STRID_WIDGETS_TITLE=\xE5\xAE\x89\xE8\xA3\x85\xE5\x90\x91\xE5\xAF\xBC\n"  // 安装向导
    "STRID_WIDGETS_OK=OK\n";

::testing::AssertionResult StartOnce() {
  test_support::FrameworkFiles files;
  files.root = test_support::BuildFolder() + L"\\tests\\widgets_fixture\\";
  files.theme_folder = L"themes\\default";
  files.language_folder = L"lang\\zh_CN";
  files.global_xml = L"tests\\widgets\\global.xml";
  files.language_strings = kStrings;
  ::testing::AssertionResult started = test_support::StartFramework(files);
  if (!started) return started;
  // The skins' folder, whose "../public/..." names reach the images.
  test_support::CreateFolders(files.root + files.theme_folder + L"\\basic");
  // The images are written once GDI+ runs; they are decoded when first drawn.
  const std::wstring images = files.root + files.theme_folder + L"\\public\\";
  test_support::CreateFolders(images + L"CheckBox");
  test_support::CreateFolders(images + L"button");
  bool written =
      test_support::WritePng(images + L"CheckBox\\check_no2.png", 16, 16,
                             [](int x, int y) -> DWORD {
                               bool edge = x == 0 || y == 0 || x == 15 || y == 15;
                               return edge ? kCheckNoBorder : kCheckNoInside;
                             }) &&
      test_support::WritePng(images + L"CheckBox\\check_green_yes2.png", 16, 16,
                             [](int, int) { return kCheckYes; }) &&
      test_support::WritePng(images + L"button\\btn_primary_normal.png", 40, 20,
                             [](int, int) { return kButtonImage; });
  if (!written) return ::testing::AssertionFailure() << "could not write the test images";
  return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult StartFramework() {
  static const ::testing::AssertionResult started = StartOnce();
  return started;
}

std::unique_ptr<test_support::OffscreenHost> MakeHost(int width, int height) {
  auto host = std::make_unique<test_support::OffscreenHost>(width, height);
  host->SetResourceSubPath(L"basic\\");
  return host;
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
  const std::wstring path = test_support::ScreenshotFolder() + L"\\" + name + L".png";
  return host.SavePng(path) ? path : std::wstring();
}

}  // namespace widgets_test
