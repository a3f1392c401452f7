// Unpacks the downloaded package (a zip archive) into the install folder.
#pragma once

#include <string>

namespace app {

// How an extraction ended; who is at fault decides whether the package is
// worth keeping for the next attempt.
enum class UnzipResult {
  Extracted,     // every entry is in place (unsafe entries skipped)
  PackageFault,  // the package: no zip, an unreadable directory, data that fails its CRC or ends early
  InstallFault,  // the install folder: cannot be created or written, a file held open, full
  OutOfDisk,     // the install folder's volume has less room than the entries need
};

class ZipPack {
 public:
  // Extracts every entry of the archive at `package_path` into
  // `target_folder`, creating that folder first (its parent must exist).
  // Entry names are read as UTF-8 when the archive says so (the UTF-8 flag,
  // or a valid Info-ZIP Unicode Path field) and in the ANSI code page
  // otherwise; every path reaches the file system as wide text. The folders
  // above an entry are created when the archive does not list them. An
  // entry whose name would lead outside the target folder, names a device,
  // is not valid UTF-8 or does not fit the 512-byte name and path buffers is
  // skipped with its log line.
  //
  // Before anything is written, the entries' sizes together are weighed
  // against the free space of the target folder's volume. Anything but
  // Extracted leaves the target folder as it was (InstallRollback): files
  // replaced are restored, files and folders added are removed.
  static UnzipResult UnzipFile(const std::wstring& package_path, const std::wstring& target_folder);
};

// Creates the single folder `folder` (not its parents). True when it was
// created or already existed as a folder.
bool CreateTargetFolder(const std::wstring& folder);

}  // namespace app
