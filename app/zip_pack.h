// Unpacks the downloaded package (a zip archive) into the install folder.
#pragma once

#include <string>

namespace app {

class ZipPack {
 public:
  // Extracts every entry of the archive at `package_path` into
  // `target_folder`, creating that folder first (its parent must exist).
  // Both paths and the entry names are narrow strings in the system ANSI code
  // page. Folder entries create one folder level each; a file whose folder is
  // neither listed before it nor already there is skipped, and so is every
  // entry whose name would lead outside the target folder or does not fit
  // the 512-byte name and path buffers.
  //
  // Returns false when the archive cannot be opened, its directory cannot be
  // read, the target folder cannot be created, or an entry's data cannot be
  // read, fails its CRC or cannot be written; true otherwise, also when
  // single entries were skipped.
  static bool UnzipFile(const std::string& package_path, const std::string& target_folder);
};

// Creates the single folder `folder` (not its parents). True when it was
// created or already existed.
bool CreateTargetFolder(const std::string& folder);

}  // namespace app
