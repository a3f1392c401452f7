// The resumable download of the client package into the local package file.
#pragma once

#include <chrono>
#include <functional>

#include "app/install/common/disk_space.h"
#include "app/install/common/install_result.h"
#include "app/install/common/package_location.h"
#include "app/install/common/progress_sink.h"

namespace app {

// The WinINet session of a download, opened with the download's settings
// (agent "Download", the user's system proxy); null with the last error set
// when it cannot be opened.
void* OpenDownloadSession();

struct DownloadOptions {
  // Pause after each failed attempt to reach the storage.
  std::chrono::milliseconds retryPause{2000};
  // How long a connection to the storage may take to open. Long enough for a
  // slow or lossy network to retransmit its first packets a few times.
  std::chrono::milliseconds connectTimeout{20000};
  // How long the storage may stay silent: before an answer's headers and
  // between the pieces of its body. A body that stops this long is taken for
  // a dead connection and the rest is asked for anew, which costs only a new
  // request; a mobile or Wi-Fi network pausing for a few seconds is well
  // inside it.
  std::chrono::milliseconds receiveTimeout{20000};
  // Free space of the volume that receives the package.
  FreeSpaceQuery freeSpace = QueryFreeSpace;
  // Opens the session each attempt starts with (a WinINet HINTERNET). Only a
  // test has reason to give another: nothing on a working system makes
  // InternetOpenW fail.
  std::function<void*()> openSession = OpenDownloadSession;
};

// Fetches the package's `downloadUrl` into its `packagePath` over WinINet,
// continuing a partial file of an earlier attempt with a ranged request, and
// reports progress to `sink` after every chunk written. Blocks; runs on the
// worker thread. Every step is logged to the setup log. Never throws: an
// unexpected failure comes back as DownloadException. When `packageSha256`
// names the package's digest, the bytes are hashed as they are written and a
// finished download that does not match is deleted (PackageCorrupt);
// otherwise the file is kept whatever happens, so the next attempt can
// resume it.
InstallResult DownloadPackage(const PackageLocation& package, ProgressSink& sink);
InstallResult DownloadPackage(const PackageLocation& package, ProgressSink& sink, const DownloadOptions& options);

}  // namespace app
