#include "app/shell/user_interface.h"

#include <windows.h>

#include "app/shell/window/basic_form.h"
#include "app/shell/window/installer_window.h"
#include "ui/resources/global_resources.h"

namespace app {

bool OpenUserInterface() {
  // Without the archive the framework reads the skins from disk instead.
  StartInstallerResources();
  // The window owns itself from here on; a failed creation has deleted it.
  if (!OpenInstallerWindow(new BasicForm)) {
    // Nothing would ever end the UI loop without a window; end it now.
    ::PostQuitMessage(1);
    return false;
  }
  return true;
}

void CloseUserInterface() { ui::GlobalResources::Shutdown(); }

}  // namespace app
