// Opening and closing the installer's user interface on the UI thread.
#pragma once

namespace app {

// The last step of the UI thread's start-up: shows the installer window.
void OpenUserInterface();

// The first step of the UI thread's orderly clean-up.
void CloseUserInterface();

}  // namespace app
