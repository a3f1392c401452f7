// The installer window's start-up, one way for the program and for the
// benchmarks that measure what the window costs.
#pragma once

namespace app {

class BasicForm;

// Starts the UI framework over the installer's resources: the skin archive
// the program carries (without it the framework reads the skins from disk),
// the default theme and the Chinese strings. False when the archive did not
// open. UI thread; ui::GlobalResources::Shutdown ends it.
bool StartInstallerResources();

// Makes `form` the installer's window: created with the product's name as
// its title, shown with the focus, centred on the screen. `form` comes from
// new and owns itself from here on; a failed creation has deleted it and
// returns false. UI thread, after StartInstallerResources.
bool OpenInstallerWindow(BasicForm* form);

}  // namespace app
