#include "app/install/extract/zip_entry_name.h"

#include <windows.h>

#include <zlib.h>

#include <cwctype>

#include "base/text/text_conversion.h"

namespace app {
namespace {

constexpr unsigned kUnicodePathTag = 0x7075;
constexpr unsigned char kUnicodePathVersion = 1;

unsigned ReadLittle16(const std::string& bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

unsigned long ReadLittle32(const std::string& bytes, size_t at) {
  return static_cast<unsigned long>(ReadLittle16(bytes, at)) |
         (static_cast<unsigned long>(ReadLittle16(bytes, at + 2)) << 16);
}

// The UTF-8 name of a valid Info-ZIP Unicode Path field: version 1, then
// the CRC-32 of the stored name, then the name.
std::optional<std::string> UnicodePathField(const std::string& extra, const std::string& stored_name) {
  size_t at = 0;
  while (at + 4 <= extra.size()) {
    unsigned tag = ReadLittle16(extra, at);
    size_t size = ReadLittle16(extra, at + 2);
    size_t data = at + 4;
    if (data + size > extra.size()) return std::nullopt;
    if (tag == kUnicodePathTag && size > 5 && static_cast<unsigned char>(extra[data]) == kUnicodePathVersion) {
      uLong crc = ::crc32(0L, reinterpret_cast<const Bytef*>(stored_name.data()),
                          static_cast<uInt>(stored_name.size()));
      if (ReadLittle32(extra, data + 1) != (crc & 0xFFFFFFFFul)) return std::nullopt;
      return extra.substr(data + 5, size - 5);
    }
    at = data + size;
  }
  return std::nullopt;
}

// Only UTF-8 names can be told invalid: every byte means something in the
// legacy code pages.
std::optional<std::wstring> Decode(const std::string& bytes, unsigned code_page) {
  return base::DecodeText(bytes, code_page,
                          code_page == base::kUtf8CodePage ? base::InvalidBytes::kReject
                                                           : base::InvalidBytes::kReplace);
}

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// A component of dots (and the blanks Windows drops after them) that climbs
// out of its folder: "..", "...", ".. ".
bool IsClimbingComponent(const std::wstring& component) {
  int dots = 0;
  for (wchar_t c : component) {
    if (c == L'.') {
      ++dots;
    } else if (c != L' ') {
      return false;
    }
  }
  return dots >= 2;
}

// Windows opens the device for these names whatever extension follows and
// whatever blanks trail them ("nul.txt", "COM1 ").
bool IsDeviceComponent(const std::wstring& component) {
  std::wstring base = component.substr(0, component.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
  if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
      base == L"CONOUT$") {
    return true;
  }
  bool numbered = base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0);
  return numbered && base[3] >= L'1' && base[3] <= L'9';
}

}  // namespace

std::optional<ZipEntryName> DecodeZipEntryName(const std::string& stored_name, unsigned long flags,
                                               const std::string& central_extra) {
  std::string bytes = stored_name;
  UINT code_page = CP_ACP;
  if (flags & kZipUtf8NameFlag) {
    code_page = CP_UTF8;
  } else if (std::optional<std::string> unicode = UnicodePathField(central_extra, stored_name)) {
    bytes = *unicode;
    code_page = CP_UTF8;
  }
  std::optional<std::wstring> name = Decode(bytes, code_page);
  if (!name) return std::nullopt;
  return ZipEntryName{*name, bytes};
}

bool StaysInsideTarget(const std::wstring& name) {
  if (name.empty() || IsSeparator(name[0])) return false;
  if (name.find(L':') != std::wstring::npos || name.find(L'\0') != std::wstring::npos) return false;
  size_t start = 0;
  while (true) {
    size_t end = name.find_first_of(L"/\\", start);
    std::wstring component = name.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (IsClimbingComponent(component) || IsDeviceComponent(component)) return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

}  // namespace app
