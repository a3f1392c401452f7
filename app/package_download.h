// The resumable download of the client package into the local package file.
#pragma once

#include <chrono>

#include "app/disk_space.h"
#include "app/install_result.h"
#include "app/progress_sink.h"

namespace app {

struct DownloadOptions {
  // Pause after each failed attempt to reach the storage.
  std::chrono::milliseconds retryPause{2000};
  // Free space of the volume that receives the package.
  FreeSpaceQuery freeSpace = QueryFreeSpace;
};

// Fetches `downloadUrl` into `packagePath` over WinINet, continuing a partial
// file of an earlier attempt with a ranged request, and reports progress to
// `sink` after every chunk written. Blocks; runs on the worker thread. Every
// step is logged to the setup log. Never throws: an unexpected failure comes
// back as DownloadException. When `packageSha256` names the package's digest,
// the bytes are hashed as they are written and a finished download that does
// not match is deleted (PackageCorrupt); otherwise the file is kept whatever
// happens, so the next attempt can resume it.
InstallResult DownloadPackage(ProgressSink& sink);
InstallResult DownloadPackage(ProgressSink& sink, const DownloadOptions& options);

}  // namespace app
