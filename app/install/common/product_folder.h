// The rule that keeps an install inside a folder of the product's own.
#pragma once

#include <string>

namespace app {

// The folder the client goes into when `chosen` (not empty) is named as the
// place to install: `chosen` itself when it already is a product folder
// (its last component is "orvanecloud" in any letter case), otherwise the
// product's own subfolder of it. The install ends programs started from its
// folder and replaces the files there, so it never takes a folder that holds
// other programs and files (Program Files, the profile, the desktop, a drive
// root) as its own. The folder picker and the command line both go through it.
std::wstring ProductFolderFor(const std::wstring& chosen);

}  // namespace app
