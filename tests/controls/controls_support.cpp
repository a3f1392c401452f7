#include "controls_support.h"

#include "support/framework_start.h"
#include "support/paths.h"
#include "support/png_file.h"
#include "support/text.h"
#include "ui/render/color_table.h"
#include "ui/resources/skin_tables.h"

namespace controls_test {

void StartFramework() {
  static bool started = false;
  if (started) return;
  started = true;
  // A resource root with nothing in it: no global.xml, no language file;
  // the tests name their images by absolute path.
  test_support::FrameworkFiles files;
  files.root = test_support::BuildFolder() + L"\\controls_empty\\";
  files.theme_folder = L"themes\\default";
  files.language_folder = L"lang\\zh_CN";
  EXPECT_TRUE(test_support::StartFramework(files));
  ui::ColorTable& colors = ui::SkinColors();
  colors.AddColor(L"red", kRed);
  colors.AddColor(L"green", kGreen);
  colors.AddColor(L"blue", kBlue);
  colors.AddColor(L"white", kWhite);
  colors.AddColor(L"black", kBlack);
  colors.AddColor(L"half_red", 0x80FF0000);
}

std::wstring SolidPng(const std::wstring& name, int width, int height, DWORD argb) {
  const std::wstring dir = test_support::BuildFolder() + L"\\controls_images";
  ::CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring path = dir + L"\\" + name + L".png";
  EXPECT_TRUE(test_support::WritePng(path, width, height, [argb](int, int) { return argb; }))
      << "could not write " << test_support::Utf8(path);
  return path;
}

ui::Control* Fixed(int width, int height) {
  auto* control = new ui::Control();
  control->SetFixedWidth(width);
  control->SetFixedHeight(height);
  return control;
}

}  // namespace controls_test
