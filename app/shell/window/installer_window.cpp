#include "app/shell/window/installer_window.h"

#include <windows.h>

#include <string>

#include "app/install/common/product.h"
#include "app/shell/prompts/installer_window_style.h"
#include "app/shell/window/basic_form.h"
#include "base/startup_trace.h"
#include "ui/resources/global_resources.h"

namespace app {

bool StartInstallerResources() {
  const bool archive = ui::GlobalResources::OpenSkinArchive(std::string());
  base::MarkStartupPhase("skin archive open");
  ui::GlobalResources::Startup(L"resources\\", {}, false, L"themes\\default", L"lang\\zh_CN");
  base::MarkStartupPhase("global skin, strings, GDI+ start");
  return archive;
}

bool OpenInstallerWindow(BasicForm* form) {
  if (!form->OpenWindow(nullptr, kProductName, kInstallerWindowStyle, 0, true, RECT{0, 0, 0, 0})) return false;
  form->ShowOnScreen(true, true);
  form->CentreOnScreen();
  base::MarkStartupPhase("window shown and centred");
  return true;
}

}  // namespace app
