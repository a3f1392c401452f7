// The frame style of the installer's own windows: the installer window and
// its message box open with the same one, so both look and behave alike on
// the taskbar. It lives beside the message box because window/ may include
// prompts/ and not the other way round.
#pragma once

#include <windows.h>

namespace app {

// The skin draws the frame; the styles give the window its system menu and
// taskbar behaviour. No maximize box: the skin has one size.
constexpr DWORD kInstallerWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
static_assert(kInstallerWindowStyle == 0x00CE0000);

}  // namespace app
