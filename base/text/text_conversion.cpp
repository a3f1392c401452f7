#include "base/text/text_conversion.h"

#include <windows.h>

namespace base {
namespace {

DWORD DecodeFlags(InvalidBytes invalid) {
  return invalid == InvalidBytes::kReject ? MB_ERR_INVALID_CHARS : 0;
}

// The decoded length of `bytes`, 0 when they cannot be decoded.
int DecodedLength(std::string_view bytes, unsigned code_page, DWORD flags) {
  const int length = ::MultiByteToWideChar(code_page, flags, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
  return length > 0 ? length : 0;
}

}  // namespace

std::optional<std::wstring> DecodeText(std::string_view bytes, unsigned code_page,
                                       InvalidBytes invalid) {
  if (bytes.empty()) return std::wstring();
  const DWORD flags = DecodeFlags(invalid);
  const int length = DecodedLength(bytes, code_page, flags);
  if (length == 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(code_page, flags, bytes.data(), static_cast<int>(bytes.size()),
                        wide.data(), length);
  return wide;
}

bool DecodeTextInto(std::string_view bytes, unsigned code_page, std::vector<wchar_t>& out,
                    size_t spare) {
  out.clear();
  if (bytes.empty()) return true;
  const int length = DecodedLength(bytes, code_page, 0);
  if (length == 0) return false;
  out.resize(static_cast<size_t>(length) + spare);
  ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                        length);
  out.resize(static_cast<size_t>(length));
  return true;
}

std::wstring WideFromCodePage(std::string_view bytes, unsigned code_page) {
  return DecodeText(bytes, code_page, InvalidBytes::kReplace).value_or(std::wstring());
}

std::string CodePageFromWide(std::wstring_view text, unsigned code_page) {
  if (text.empty()) return std::string();
  const int length = ::WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
  return narrow;
}

}  // namespace base
