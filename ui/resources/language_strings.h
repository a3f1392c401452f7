// The language string table read from "gdstrings.ini": string id → text.
//
// File format, one entry per line: KEY=VALUE. Lines are trimmed of blanks
// and control characters; a line must split at "=" into exactly two pieces
// (runs of "=" count as one), so a value can never hold "=". A key holding
// ";" is ignored, which is how ";" comment lines fall out. A later line with
// the same key replaces the earlier value.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace ui {

class LanguageStrings {
 public:
  // Both empty the table first. LoadFromFile returns false when the file
  // cannot be opened (the table stays empty).
  bool LoadFromFile(const std::wstring& path);
  // UTF-8 bytes; lines end at "\n" or at a NUL byte.
  void LoadFromMemory(const void* data, size_t size);
  void Clear() { strings_.clear(); }

  // The text of `id` with the sequences backslash-r and backslash-n turned
  // into CR and LF; empty for an empty or unknown id.
  std::wstring Lookup(const std::wstring& id) const;
  size_t GetCount() const { return strings_.size(); }

 private:
  void AddLine(std::string_view utf8_line);

  std::map<std::wstring, std::wstring> strings_;
};

}  // namespace ui
