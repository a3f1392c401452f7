// How an archive entry's stored name becomes a name under the install folder.
#pragma once

#include <optional>
#include <string>

namespace app {

// The zip format's general-purpose flag that marks a name as UTF-8.
inline constexpr unsigned long kZipUtf8NameFlag = 1ul << 11;

// The name an entry is extracted under, and the bytes it came from (their
// length is what the 512-byte name and path limits measure).
struct ZipEntryName {
  std::wstring name;
  std::string bytes;
};

// Decodes the stored name of an entry:
//  - with the UTF-8 flag in `flags`, the name is UTF-8;
//  - otherwise an Info-ZIP Unicode Path field (0x7075) in `central_extra`
//    gives the UTF-8 name, when its version is 1 and its CRC matches the
//    stored name (a tool that renamed the entry without updating the field
//    leaves a stale name there, which must not win);
//  - otherwise the name is in the system ANSI code page, as the tools of
//    the product's target systems write it.
// Nothing when a UTF-8 name is not valid UTF-8: such a name cannot be told
// apart from an attempt to smuggle separators or dots past the checks.
std::optional<ZipEntryName> DecodeZipEntryName(const std::string& stored_name, unsigned long flags,
                                               const std::string& central_extra);

// True when `name`, joined to the target folder, names a place inside it:
// not empty, not absolute, no drive or stream colon, no component that
// climbs out (".." and the dot-and-blank forms Windows reads the same way)
// and no component that Windows takes for a device (CON, NUL, COM1 ...),
// whose "file" would be written somewhere else entirely.
bool StaysInsideTarget(const std::wstring& name);

}  // namespace app
