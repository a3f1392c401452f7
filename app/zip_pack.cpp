#include "app/zip_pack.h"

#include <windows.h>

#include <unzip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/setup_log.h"
#include "base/unique_any.h"

namespace app {
namespace {

// Entry names and joined paths live in buffers of this size, terminator
// included.
constexpr size_t kPathBufferSize = 512;
// Every entry streams through one buffer of this size, so the memory needed
// does not grow with the entries (a 32-bit process cannot hold a
// gigabyte-sized entry in one piece).
constexpr unsigned kChunkSize = 256 * 1024;

void CloseArchive(unzFile archive) { ::unzClose(archive); }
using unique_unzfile = base::unique_any<unzFile, CloseArchive>;

void Log(const wchar_t* text) { WriteSetupLog(text); }

// Narrow text is in the ANSI code page, like every path this file handles.
void LogNarrow(const char* text) {
  int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) {
    WriteSetupLog(L"");
    return;
  }
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  WriteSetupLog(wide);
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A component of dots (and the blanks Windows drops after them) that climbs
// out of its folder: "..", "...", ".. ".
bool IsClimbingComponent(const char* begin, const char* end) {
  int dots = 0;
  for (const char* p = begin; p != end; ++p) {
    if (*p == '.') {
      ++dots;
    } else if (*p != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

// True when the entry name, joined to the target folder, names a place
// inside it: not absolute, no drive or stream colon, no component that
// climbs. The bytes are scanned without regard to double-byte characters;
// that sees every real separator (and at worst a trail byte as one more),
// so it never lets a climbing component through.
bool StaysInsideTarget(const char* name) {
  if (name[0] == '\0' || IsSeparator(name[0])) return false;
  if (std::strchr(name, ':') != nullptr) return false;
  const char* component = name;
  for (const char* p = name;; ++p) {
    if (*p == '\0' || IsSeparator(*p)) {
      if (IsClimbingComponent(component, p)) return false;
      if (*p == '\0') return true;
      component = p + 1;
    }
  }
}

enum class EntryOutcome { Written, Skipped, Failed };

// The entry the archive has open for reading; closing it checks the CRC.
class OpenEntry {
 public:
  explicit OpenEntry(unzFile archive) : archive_(archive), open_(::unzOpenCurrentFile(archive) == UNZ_OK) {}
  ~OpenEntry() {
    if (open_) ::unzCloseCurrentFile(archive_);
  }
  OpenEntry(const OpenEntry&) = delete;
  OpenEntry& operator=(const OpenEntry&) = delete;

  bool is_open() const { return open_; }
  // UNZ_CRCERROR when all data was read and it does not match.
  int Close() {
    open_ = false;
    return ::unzCloseCurrentFile(archive_);
  }

 private:
  unzFile archive_;
  bool open_;
};

// Streams the current entry into `path`, replacing any file there.
EntryOutcome ExtractFileEntry(unzFile archive, const char* path, ZPOS64_T expected_size,
                              std::vector<char>& buffer) {
  ::DeleteFileA(path);
  base::unique_hfile file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    Log(L"Unable to create target file]\n");
    return EntryOutcome::Skipped;
  }

  bool ok = false;
  {
    OpenEntry entry(archive);
    ZPOS64_T total = 0;
    bool io_ok = entry.is_open();
    while (io_ok) {
      int read = ::unzReadCurrentFile(archive, buffer.data(), static_cast<unsigned>(buffer.size()));
      if (read < 0) {
        io_ok = false;
        break;
      }
      if (read == 0) break;
      DWORD written = 0;
      if (!::WriteFile(file.get(), buffer.data(), static_cast<DWORD>(read), &written, nullptr) ||
          written != static_cast<DWORD>(read)) {
        io_ok = false;
        break;
      }
      total += static_cast<ZPOS64_T>(read);
    }
    if (io_ok && entry.Close() == UNZ_OK && total == expected_size) ok = true;
  }
  // A file closes with an error only when its last data could not be
  // flushed; that is a failed write too.
  if (ok && !::CloseHandle(file.release())) ok = false;
  if (ok) return EntryOutcome::Written;

  // A half-written or corrupt file must not look installed.
  file.reset();
  ::DeleteFileA(path);
  Log(L"Failed to extract target file]\n");
  return EntryOutcome::Failed;
}

// An archive with no entries is nothing but its 22-byte end record (plus a
// comment). minizip looks for that record only after the first byte of the
// file and so cannot open such an archive; it is recognised here instead.
bool IsEmptyArchive(const std::string& path) {
  base::unique_hfile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  unsigned char record[22];
  DWORD read = 0;
  LARGE_INTEGER size{};
  if (!::ReadFile(file.get(), record, sizeof record, &read, nullptr) || read != sizeof record ||
      !::GetFileSizeEx(file.get(), &size)) {
    return false;
  }
  auto u16 = [&](int at) { return static_cast<unsigned>(record[at] | (record[at + 1] << 8)); };
  bool signature = record[0] == 'P' && record[1] == 'K' && record[2] == 5 && record[3] == 6;
  bool no_entries = u16(8) == 0 && u16(10) == 0 && u16(12) == 0 && u16(14) == 0;
  return signature && no_entries && size.QuadPart == static_cast<LONGLONG>(sizeof record + u16(20));
}

}  // namespace

bool CreateTargetFolder(const std::string& folder) {
  Log(L"Create target folder\xFF1A");
  LogNarrow(folder.c_str());
  if (::CreateDirectoryA(folder.c_str(), nullptr)) return true;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    Log(L"The target folder already exists");
    return true;
  }
  Log(L"Failed to create target folder");
  return false;
}

bool ZipPack::UnzipFile(const std::string& package_path, const std::string& target_folder) {
  Log(L"ZipPack::UnzipFile:");
  LogNarrow(package_path.c_str());

  unique_unzfile archive(::unzOpen64(package_path.c_str()));
  if (!archive) {
    if (IsEmptyArchive(package_path)) {
      if (!CreateTargetFolder(target_folder)) return false;
      Log(L"\nUnzipFile targetFolder:");
      LogNarrow(target_folder.c_str());
      return true;
    }
    Log(L"fail to open the file");
    return false;
  }
  unz_global_info64 global{};
  if (::unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) {
    Log(L"Global information error");
    return false;
  }
  if (!CreateTargetFolder(target_folder)) return false;
  Log(L"\nUnzipFile targetFolder:");
  LogNarrow(target_folder.c_str());

  std::vector<char> buffer(kChunkSize);
  for (ZPOS64_T index = 0; index < global.number_entry; ++index) {
    unz_file_info64 info{};
    char name[kPathBufferSize];
    if (::unzGetCurrentFileInfo64(archive.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
      Log(L"Entry information error");
      return false;
    }
    // minizip leaves a name that fills the buffer unterminated.
    bool name_fits = info.size_filename < sizeof name;
    size_t name_length = std::min<size_t>(info.size_filename, sizeof name - 1);
    name[name_length] = '\0';

    char joined[kPathBufferSize];
    int joined_length = std::snprintf(joined, sizeof joined, "%s\\%s", target_folder.c_str(), name);
    bool path_fits = joined_length >= 0 && static_cast<size_t>(joined_length) < sizeof joined;
    bool usable = name_fits && path_fits && StaysInsideTarget(name);

    Log(L"[");
    LogNarrow(name);
    bool folder_entry = name_length > 0 && IsSeparator(name[name_length - 1]);
    if (folder_entry) {
      if (usable) {
        CreateTargetFolder(joined);
      } else {
        Log(L"Failed to create target folder");
      }
    } else if (!usable) {
      Log(L"Unable to create target file]\n");
    } else if (ExtractFileEntry(archive.get(), joined, info.uncompressed_size, buffer) ==
               EntryOutcome::Failed) {
      return false;
    }

    if (index + 1 < global.number_entry && ::unzGoToNextFile(archive.get()) != UNZ_OK) {
      Log(L"Entry information error");
      return false;
    }
  }
  return true;
}

}  // namespace app
