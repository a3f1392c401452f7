// The outcome of one install attempt: the version, the download, the
// extraction, then the registration.
#pragma once

namespace app {

// The numbers are part of the installer's diagnostics and never change.
enum class InstallResult : int {
  Success = 0,
  OpenUrlFailed = 1,       // the package URL did not open in 60 attempts
  NoFileSize = 2,          // the storage gave no usable content length
  CreateFileFailed = 3,    // the local package file could not be opened for writing
  OutOfDisk = 4,           // the disk-space check found too little room
  RangeOpenFailed = 5,     // a ranged request for the package failed
  PackageNotReady = 6,     // the download is the storage's 421-byte "no package" answer
  UnzipFailed = 7,         // the extraction failed
  DownloadException = 8,   // the download failed unexpectedly (also a failed write)
  InternetOpenFailed = 9,  // the internet handle did not open in 60 attempts
  PackageCorrupt = 10,     // the download does not match the SHA-256 the service named
  NoVersion = 11,          // the service named no version, so there is no package URL
  RegistrationFailed = 12, // installed, but a shortcut or registry value was not written
};

}  // namespace app
