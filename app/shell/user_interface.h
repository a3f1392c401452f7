// Opening and closing the installer's user interface on the UI thread.
#pragma once

namespace app {

// The last step of the UI thread's start-up: shows the installer window.
// False when the window could not be made; the UI loop has then been asked
// to quit, since nothing else would ever end it.
bool OpenUserInterface();

// The first step of the UI thread's orderly clean-up.
void CloseUserInterface();

}  // namespace app
