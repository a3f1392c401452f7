// The install task: download the package, extract it, register the
// installation, and tell the installer window about each step and failure.
// Runs on the worker thread; the window is reached only through InstallView.
#pragma once

#include <optional>
#include <string>

#include "app/install/common/install_result.h"
#include "app/install/common/package_location.h"
#include "app/install/install_view.h"

namespace app {

// The log line and prompt of a failed attempt; nothing for the codes that
// have neither (Success, and values outside the table).
struct FailurePrompt {
  const wchar_t* logText;
  const wchar_t* promptText;
};
std::optional<FailurePrompt> FailureFor(InstallResult result);

// Download into the package's `packagePath`, then extract into `folder`,
// with the status texts and the download progress shown in `view`. A
// package that the temporary folder holds already and that matches the
// digest the service names is not downloaded again. The package is deleted
// only when it is itself at fault (it does not unzip); a failure of the
// install folder keeps it for the next attempt.
InstallResult DownloadAndUnzipFile(InstallView& view, const PackageLocation& package, const std::wstring& folder);

// The package location the install attempts of one installer run share: the
// start-up's version query fills it, or else the first attempt that finds
// it empty, and every later attempt reuses it, so a retry resumes the file
// an earlier one left. It belongs to the thread the install task runs on:
// the query and every attempt run there, in the order they were posted, so
// no lock guards it.
using KnownPackage = std::optional<PackageLocation>;

// The install task; post it to the worker thread, which `package` belongs to:
//   base::ThreadRegistry::PostTask(kWorkerThreadId, [view, package] { RunInstallTask(view, *package); });
// `view` must live until the process ends (the installer window does).
// Returns the attempt's outcome once the tasks it posts to the UI thread
// (the finished view, a failure prompt) are on their way there.
InstallResult RunInstallTask(InstallView* view, KnownPackage& package);

}  // namespace app
