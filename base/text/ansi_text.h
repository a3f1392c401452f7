// Conversions between wide text and the system ANSI code page. Characters
// the code page lacks become its default character.
#pragma once

#include <windows.h>

#include <string>

namespace app {

inline std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
  return narrow;
}

// The reverse: narrow text in the ANSI code page, read as the narrow file
// functions would read it.
inline std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// A path as the log shows it. The log's code page (936) would end a record
// at the first character it lacks (an emoji, Hangul): the ANSI code page's
// default character stands in for those instead, as it did when the paths
// were handed over in that code page.
inline std::wstring ForLog(const std::wstring& path) { return FromAnsi(ToAnsi(path)); }

}  // namespace app
