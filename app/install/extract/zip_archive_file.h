// The archive reader over the wide file functions, so that a package
// in a folder whose name the ANSI code page cannot hold opens all the same.
#pragma once

#include <unzip.h>

#include <string>

namespace app {

// Opens the zip archive at `path` for reading, or null when it is no
// readable zip archive (missing, not a zip, no central directory). Close the
// result with unzClose.
unzFile OpenZipArchive(const std::wstring& path);

}  // namespace app
