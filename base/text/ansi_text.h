// Conversions between wide text and the system ANSI code page. Characters
// the code page lacks become its default character.
#pragma once

#include "base/text/text_conversion.h"

#include <string>

namespace base {

inline std::string ToAnsi(const std::wstring& text) {
  return base::CodePageFromWide(text, base::kAnsiCodePage);
}

// The reverse: narrow text in the ANSI code page, read as the narrow file
// functions would read it.
inline std::wstring FromAnsi(const std::string& text) {
  return base::WideFromCodePage(text, base::kAnsiCodePage);
}

// A path as the log shows it. The log's code page (936) would end a record
// at the first character it lacks (an emoji, Hangul): the ANSI code page's
// default character stands in for those instead, as it did when the paths
// were handed over in that code page.
inline std::wstring ForLog(const std::wstring& path) { return FromAnsi(ToAnsi(path)); }

}  // namespace base
