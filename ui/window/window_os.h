// The few system facts the window shell asks about: the Windows version, and
// touch registration, whose functions older systems do not have (looked up
// in user32.dll at run time).
#pragma once

#include <windows.h>

#include <vector>

namespace ui::window_os {

// Windows Vista (6.0) or later.
bool IsVistaOrLater();

// Each does nothing when the system has no touch functions.
void RegisterTouch(HWND hwnd);
void UnregisterTouch(HWND hwnd);

// The contacts a WM_TOUCH carries (its wParam's low word counts them). False,
// with `inputs` empty, when the system cannot read them; the handle is then
// left for the default window procedure to close.
bool ReadTouchInputs(HTOUCHINPUT input, UINT count, std::vector<TOUCHINPUT>& inputs);
// Closes a WM_TOUCH handle whose contacts were read and handled.
void CloseTouchInput(HTOUCHINPUT input);

}  // namespace ui::window_os
