// What the extraction benchmarks need to know of a package before they time
// it: its path in the ANSI code page (as the extraction takes it) and the
// uncompressed size of each entry.
#pragma once

#include <windows.h>

#include <unzip.h>

#include <string>
#include <vector>

namespace bench {

inline std::string ToAnsi(const wchar_t* text) {
  int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string result(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), length, nullptr, nullptr);
  result.resize(static_cast<size_t>(length - 1));
  return result;
}

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
