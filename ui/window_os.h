// The few system facts the window shell asks about: the Windows version, and
// touch registration, whose functions older systems do not have (looked up
// in user32.dll at run time).
#pragma once

#include <windows.h>

namespace ui::window_os {

// Windows Vista (6.0) or later.
bool IsVistaOrLater();

// Each does nothing when the system has no touch functions.
void RegisterTouch(HWND hwnd);
void UnregisterTouch(HWND hwnd);

}  // namespace ui::window_os
