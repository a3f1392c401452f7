// What the extraction benchmarks need to know of a package before they time
// it: the uncompressed size of each entry.
#pragma once

#include <windows.h>

#include <unzip.h>

#include <string>
#include <vector>

namespace bench {

// Empty when the package cannot be opened.
inline std::vector<unsigned long long> EntrySizes(const std::string& package) {
  std::vector<unsigned long long> sizes;
  unzFile archive = ::unzOpen64(package.c_str());
  if (!archive) return sizes;
  for (int status = ::unzGoToFirstFile(archive); status == UNZ_OK;
       status = ::unzGoToNextFile(archive)) {
    unz_file_info64 info{};
    if (::unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
      break;
    }
    sizes.push_back(info.uncompressed_size);
  }
  ::unzClose(archive);
  return sizes;
}

}  // namespace bench
