#include "base/files/path_compare.h"

#include <windows.h>

#include <string>

namespace base {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring_view WithoutTrailingSeparators(std::wstring_view path) {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  return path;
}

// Forward slashes as backslashes, so that both spellings compare equal.
std::wstring BackslashesOnly(std::wstring_view path) {
  std::wstring out(path);
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  return out;
}

}  // namespace

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool IsInsideFolder(std::wstring_view path, std::wstring_view folder) {
  folder = WithoutTrailingSeparators(folder);
  if (folder.empty() || path.size() <= folder.size() || !IsSeparator(path[folder.size()])) return false;
  return SameIgnoringCase(BackslashesOnly(path.substr(0, folder.size())), BackslashesOnly(folder));
}

std::wstring_view LastComponent(std::wstring_view path) {
  path = WithoutTrailingSeparators(path);
  size_t separator = path.find_last_of(L"\\/");
  std::wstring_view last = separator == std::wstring_view::npos ? path : path.substr(separator + 1);
  // "D:" is a drive, not a folder name.
  if (last.size() == 2 && last[1] == L':') return {};
  return last;
}

}  // namespace base
