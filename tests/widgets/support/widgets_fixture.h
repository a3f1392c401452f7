// The world the widget tests run in: the framework started over a small
// resource folder written by the tests themselves (a global.xml with the
// installer's fonts, colours and the two classes its skins use, the two
// check-box images and the button image, a language file), an off-screen
// host to lay out, paint and click trees, and PNG output of a rendering.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/framework_start.h"
#include "support/offscreen_host.h"
#include "ui/controls/control.h"

namespace widgets_test {

// Colours of the test images, as premultiplied ARGB.
constexpr DWORD kCheckNoBorder = 0xFF8E99A6;
constexpr DWORD kCheckNoInside = 0xFFFFFFFF;
constexpr DWORD kCheckYes = 0xFF00BB96;
constexpr DWORD kButtonImage = 0xFF2080F0;

// Starts the framework once per test program over the test resources.
// False (with a message) when something could not be written or started.
::testing::AssertionResult StartFramework();

// An off-screen window whose skin folder is "basic\", as the installer's
// main window's is, so "../public/..." images resolve.
std::unique_ptr<test_support::OffscreenHost> MakeHost(int width, int height);

using test_support::WriteSkinFile;

// Builds `xml` (a skin document) into a new root for `host`, attaches it and
// lays it out. Null when the builder made nothing.
ui::Control* BuildInto(test_support::OffscreenHost& host, const std::wstring& xml);

// Saves the host's surface under $ORVANE_BINARY_DIR/screenshots/<name>.png,
// made opaque over white so a viewer shows what a window would. Returns the
// path written, or empty.
std::wstring SaveScreenshot(const test_support::OffscreenHost& host, const std::wstring& name);

class WidgetsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartFramework()); }
};

}  // namespace widgets_test
