// Unpacks the downloaded package (a zip archive) into the install folder.
#pragma once

#include <string>

namespace app {

class ZipPack {
 public:
  // Extracts every entry of the archive at `package_path` into
  // `target_folder`, creating that folder first (its parent must exist).
  // Both paths are narrow strings in the system ANSI code page. Entry names
  // are read as UTF-8 when the archive says so (the UTF-8 flag, or a valid
  // Info-ZIP Unicode Path field) and in the ANSI code page otherwise. The
  // folders above an entry are created when the archive does not list them.
  // An entry whose name would lead outside the target folder, names a
  // device, is not valid UTF-8 or does not fit the 512-byte name and path
  // buffers is skipped with its log line.
  //
  // Returns false when the archive cannot be opened, its directory cannot be
  // read, the target folder cannot be created, or an entry cannot be
  // extracted: a folder that cannot be created, a file that cannot be
  // created or written (locked, no access, disk full), data that cannot be
  // read or fails its CRC. True otherwise, also when unsafe entries were
  // skipped.
  static bool UnzipFile(const std::string& package_path, const std::string& target_folder);
};

// Creates the single folder `folder` (not its parents). True when it was
// created or already existed as a folder.
bool CreateTargetFolder(const std::wstring& folder);

}  // namespace app
