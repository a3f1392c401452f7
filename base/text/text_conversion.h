// Conversions between wide text and narrow text in a code page (UTF-8, the
// ANSI code page, the log's code page). Every part of the program converts
// through these, so what an invalid byte or an unmappable character becomes
// is decided in one place.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace base {

// The values of the system's CP_UTF8 and CP_ACP, so that callers need not
// include <windows.h> for them.
inline constexpr unsigned kUtf8CodePage = 65001;
inline constexpr unsigned kAnsiCodePage = 0;

// What becomes of bytes that are not valid text in the code page.
enum class InvalidBytes {
  kReplace,  // they become the replacement character (U+FFFD for UTF-8)
  kReject,   // the whole text fails to decode
};

// `bytes` read in `code_page`; nullopt when they cannot be decoded. Empty
// bytes decode to empty text.
std::optional<std::wstring> DecodeText(std::string_view bytes, unsigned code_page,
                                       InvalidBytes invalid);

// The same into a caller's buffer, with `spare` characters of capacity left
// after the text so that terminators can be appended without a reallocation.
// False (and `out` empty) when the bytes cannot be decoded.
bool DecodeTextInto(std::string_view bytes, unsigned code_page, std::vector<wchar_t>& out,
                    size_t spare);

// Lenient forms: invalid bytes are replaced and text that cannot be
// converted at all comes back empty.
std::wstring WideFromCodePage(std::string_view bytes, unsigned code_page);
// Characters the code page lacks become its default character.
std::string CodePageFromWide(std::wstring_view text, unsigned code_page);

inline std::wstring WideFromUtf8(std::string_view bytes) {
  return WideFromCodePage(bytes, kUtf8CodePage);
}
inline std::string Utf8FromWide(std::wstring_view text) {
  return CodePageFromWide(text, kUtf8CodePage);
}

}  // namespace base
