// The process exit codes of an unattended install ("--silent"): one for
// each way it can end, for deployment tools to act on. README.md lists them.
#pragma once

#include "app/install/common/install_result.h"

namespace app {

// The numbers are what deployment scripts test for: they never change.
// 11 to 20 are the download and extraction results, 10 + InstallResult.
enum class ExitCode : int {
  Installed = 0,
  Unexpected = 1,            // the installer itself broke (no mutex, a failure it knows no code for)
  BadCommandLine = 2,        // an unknown "--" switch; a --folder= empty, relative, missing or twice
  NoNetwork = 3,             // the system reports no network connection
  AnotherInstaller = 4,      // another installer is running
  NoVersion = 5,             // the service named no version
  ProgramsRunning = 6,       // programs started from the install folder are running
  RegistrationFailed = 7,    // installed, but a shortcut or registry value was not written
  OpenUrlFailed = 11,        // the package URL did not open
  NoFileSize = 12,           // the storage gave no usable size
  CreateFileFailed = 13,     // the package file was not created
  OutOfDisk = 14,            // too little room for the package or its files
  RangeOpenFailed = 15,      // a ranged request for the rest of the package failed
  PackageNotReady = 16,      // the storage holds no package for the version
  UnzipFailed = 17,          // the package did not extract into the folder
  DownloadException = 18,    // the download failed unexpectedly (also a failed write)
  InternetOpenFailed = 19,   // the internet handle did not open
  PackageCorrupt = 20,       // the package does not match the SHA-256 the service named
};

// The exit code of an install attempt's result.
ExitCode ExitCodeFor(InstallResult result);

// What the code means, in a few plain English words ("installed",
// "another installer running"): the last line of an unattended install's log.
const wchar_t* ExitCodeName(ExitCode code);

}  // namespace app
