#include "app/shell/user_interface.h"

#include <windows.h>

#include "app/install/common/product.h"
#include "app/shell/window/basic_form.h"
#include "base/startup_trace.h"
#include "ui/resources/global_resources.h"

namespace app {

bool OpenUserInterface() {
  // Without the archive the framework reads the skins from disk instead.
  ui::GlobalResources::OpenSkinArchive(std::string());
  base::MarkStartupPhase("skin archive open");
  ui::GlobalResources::Startup(L"resources\\", {}, false, L"themes\\default", L"lang\\zh_CN");
  base::MarkStartupPhase("global skin, strings, GDI+ start");
  auto* form = new BasicForm;
  // The window owns itself from here on; a failed creation has deleted it.
  if (!form->OpenWindow(nullptr, kProductName, 0x00CE0000, 0, true, RECT{0, 0, 0, 0})) {
    // Nothing would ever end the UI loop without a window; end it now.
    ::PostQuitMessage(1);
    return false;
  }
  form->ShowOnScreen(true, true);
  form->CentreOnScreen();
  base::MarkStartupPhase("window shown and centred");
  return true;
}

void CloseUserInterface() { ui::GlobalResources::Shutdown(); }

}  // namespace app
