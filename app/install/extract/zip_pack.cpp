#include "app/install/extract/zip_pack.h"

#include <windows.h>

#include <unzip.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/text/ansi_text.h"
#include "app/install/common/disk_space.h"
#include "app/install/extract/install_rollback.h"
#include "app/install/common/setup_log.h"
#include "app/install/extract/zip_archive_file.h"
#include "app/install/extract/zip_entry_name.h"
#include "base/unique_any.h"

namespace app {
namespace {

// Entry names and joined paths live in buffers of this size, terminator
// included.
constexpr size_t kPathBufferSize = 512;
// The largest extra field the zip format can store.
constexpr size_t kMaxExtraFieldSize = 0xFFFF;
// Every entry streams through one buffer of this size, so the memory needed
// does not grow with the entries (a 32-bit process cannot hold a
// gigabyte-sized entry in one piece).
constexpr unsigned kChunkSize = 256 * 1024;

void CloseArchive(unzFile archive) { ::unzClose(archive); }
using unique_unzfile = base::unique_any<unzFile, CloseArchive>;

void Log(const std::wstring& text) { WriteSetupLog(text); }

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool IsFolder(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder `relative` of the target, recorded for the roll-back
// before it exists.
bool CreateEntryFolder(const std::wstring& target, const std::wstring& relative, InstallRollback& rollback) {
  return rollback.WillCreateFolder(relative) && CreateTargetFolder(target + L"\\" + relative);
}

// Most tools (zip -D, streamed archives, Python's zipfile) list no folder
// entries, and some list a folder only after its files: the folders above an
// entry are created here, top down, each logged like a folder entry. `name`
// has passed StaysInsideTarget, so every level lies inside `target`.
bool CreateParentFolders(const std::wstring& target, const std::wstring& name, InstallRollback& rollback) {
  size_t last = name.size();
  while (last > 0 && IsSeparator(name[last - 1])) --last;
  size_t parent_end = name.find_last_of(L"/\\", last == 0 ? 0 : last - 1);
  if (parent_end == std::wstring::npos || last == 0) return true;
  if (rollback.FolderExists(name.substr(0, parent_end))) return true;
  for (size_t at = name.find_first_of(L"/\\"); at != std::wstring::npos && at <= parent_end;
       at = name.find_first_of(L"/\\", at + 1)) {
    std::wstring level = name.substr(0, at);
    if (at == 0 || IsSeparator(name[at - 1]) || rollback.FolderExists(level)) continue;
    if (!CreateEntryFolder(target, level, rollback)) return false;
  }
  return true;
}

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

// Streams the current entry into `path`, which the roll-back has cleared.
UnzipResult ExtractFileEntry(unzFile archive, const std::wstring& path, ZPOS64_T expected_size,
                             std::vector<char>& buffer) {
  base::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    // A file that cannot be written (locked, no access) would leave the
    // client incomplete, so the whole extraction fails and can be retried.
    Log(L"Unable to create target file]\n");
    return UnzipResult::InstallFault;
  }

  UnzipResult result = UnzipResult::PackageFault;
  {
    OpenEntry entry(archive);
    ZPOS64_T total = 0;
    bool read_ok = entry.is_open();
    bool write_ok = true;
    while (read_ok) {
      int read = ::unzReadCurrentFile(archive, buffer.data(), static_cast<unsigned>(buffer.size()));
      if (read < 0) {
        read_ok = false;
        break;
      }
      if (read == 0) break;
      DWORD written = 0;
      if (!::WriteFile(file.get(), buffer.data(), static_cast<DWORD>(read), &written, nullptr) ||
          written != static_cast<DWORD>(read)) {
        write_ok = false;
        break;
      }
      total += static_cast<ZPOS64_T>(read);
    }
    if (!write_ok) {
      result = UnzipResult::InstallFault;
    } else if (read_ok && entry.Close() == UNZ_OK && total == expected_size) {
      result = UnzipResult::Extracted;
    }
  }
  // A file closes with an error only when its last data could not be
  // flushed; that is a failed write too.
  if (result == UnzipResult::Extracted && !::CloseHandle(file.release())) result = UnzipResult::InstallFault;
  if (result == UnzipResult::Extracted) return result;

  // A half-written or corrupt file must not look installed.
  file.reset();
  ::DeleteFileW(path.c_str());
  Log(L"Failed to extract target file]\n");
  return result;
}

// An archive with no entries is nothing but its 22-byte end record (plus a
// comment). minizip looks for that record only after the first byte of the
// file and so cannot open such an archive; it is recognised here instead.
bool IsEmptyArchive(const std::wstring& path) {
  base::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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

// The entries' uncompressed sizes together, read from the central directory
// alone; nothing when it cannot be read. Leaves the archive at its first entry.
std::optional<uint64_t> UncompressedTotal(unzFile archive, ZPOS64_T entries) {
  uint64_t total = 0;
  if (entries > 0 && ::unzGoToFirstFile(archive) != UNZ_OK) return std::nullopt;
  for (ZPOS64_T index = 0; index < entries; ++index) {
    unz_file_info64 info{};
    if (::unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return std::nullopt;
    total += info.uncompressed_size;
    if (index + 1 < entries && ::unzGoToNextFile(archive) != UNZ_OK) return std::nullopt;
  }
  if (entries > 0 && ::unzGoToFirstFile(archive) != UNZ_OK) return std::nullopt;
  return total;
}

// The closest folder that exists on the way to `path` (the target folder is
// created only after the check): the volume the extraction will write to.
std::wstring ClosestExistingFolder(const std::wstring& path) {
  std::wstring folder = path;
  while (!folder.empty() && !IsFolder(folder)) {
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    size_t separator = folder.find_last_of(L"/\\");
    if (separator == std::wstring::npos) return path;
    folder.resize(separator + 1);
  }
  return folder.empty() ? path : folder;
}

bool VolumeLacksRoom(uint64_t needed, const std::wstring& target) {
  return IsDiskSpaceInsufficient(needed, ClosestExistingFolder(target));
}

// Every entry in archive order; the first that fails ends the extraction.
UnzipResult ExtractEntries(unzFile archive, ZPOS64_T entries, const std::wstring& target, InstallRollback& rollback) {
  // Measured in the code page the paths were once handed over in.
  const size_t target_length = base::ToAnsi(target).size();
  std::vector<char> buffer(kChunkSize);
  std::vector<char> extra(kMaxExtraFieldSize);
  for (ZPOS64_T index = 0; index < entries; ++index) {
    unz_file_info64 info{};
    char name[kPathBufferSize];
    if (::unzGetCurrentFileInfo64(archive, &info, name, sizeof name, extra.data(), static_cast<uLong>(extra.size()),
                                  nullptr, 0) != UNZ_OK) {
      Log(L"Entry information error");
      return UnzipResult::PackageFault;
    }
    // minizip leaves a name that fills the buffer unterminated.
    bool name_fits = info.size_filename < sizeof name;
    size_t name_length = std::min<size_t>(info.size_filename, sizeof name - 1);
    std::string stored_name(name, name_length);
    std::string extra_field(extra.data(), std::min<size_t>(info.size_file_extra, extra.size()));

    std::optional<ZipEntryName> decoded = DecodeZipEntryName(stored_name, info.flag, extra_field);
    // The name and the joined path must fit the 512-byte buffers the
    // installer has always measured them with.
    bool fits = name_fits && decoded && decoded->bytes.size() < kPathBufferSize &&
                target_length + 1 + decoded->bytes.size() < kPathBufferSize;
    // The roll-back's own folder is no entry's business.
    bool usable = fits && StaysInsideTarget(decoded->name) && !InstallRollback::IsReservedName(decoded->name);
    std::wstring joined = usable ? target + L"\\" + decoded->name : std::wstring();

    Log(L"[");
    Log(base::ForLog(decoded ? decoded->name : base::FromAnsi(stored_name)));
    // Judged on the decoded name: in a double-byte code page a backslash byte
    // can be the second half of a character.
    bool folder_entry = decoded ? !decoded->name.empty() && IsSeparator(decoded->name.back())
                                : name_length > 0 && (name[name_length - 1] == '/' || name[name_length - 1] == '\\');
    if (folder_entry) {
      if (!usable) {
        Log(L"Failed to create target folder");
      } else if (!CreateParentFolders(target, decoded->name, rollback) ||
                 !CreateEntryFolder(target, decoded->name, rollback)) {
        return UnzipResult::InstallFault;
      }
    } else if (!usable) {
      Log(L"Unable to create target file]\n");
    } else if (!CreateParentFolders(target, decoded->name, rollback) || !rollback.WillWriteFile(decoded->name)) {
      Log(L"Unable to create target file]\n");
      return UnzipResult::InstallFault;
    } else if (UnzipResult result = ExtractFileEntry(archive, joined, info.uncompressed_size, buffer);
               result != UnzipResult::Extracted) {
      return result;
    }

    if (index + 1 < entries && ::unzGoToNextFile(archive) != UNZ_OK) {
      Log(L"Entry information error");
      return UnzipResult::PackageFault;
    }
  }
  return UnzipResult::Extracted;
}

}  // namespace

bool CreateTargetFolder(const std::wstring& folder) {
  Log(L"Create target folder\xFF1A");
  Log(base::ForLog(folder));
  if (::CreateDirectoryW(folder.c_str(), nullptr)) return true;
  // A file of that name is "already there" too, but is no folder to extract into.
  if (::GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(folder)) {
    Log(L"The target folder already exists");
    return true;
  }
  Log(L"Failed to create target folder");
  return false;
}

UnzipResult ZipPack::UnzipFile(const std::wstring& package_path, const std::wstring& target) {
  Log(L"ZipPack::UnzipFile:");
  Log(base::ForLog(package_path));

  unique_unzfile archive(OpenZipArchive(package_path));
  if (!archive) {
    if (IsEmptyArchive(package_path)) {
      if (!CreateTargetFolder(target)) return UnzipResult::InstallFault;
      Log(L"\nUnzipFile targetFolder:");
      Log(base::ForLog(target));
      return UnzipResult::Extracted;
    }
    Log(L"fail to open the file");
    return UnzipResult::PackageFault;
  }
  unz_global_info64 global{};
  if (::unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) {
    Log(L"Global information error");
    return UnzipResult::PackageFault;
  }
  std::optional<uint64_t> needed = UncompressedTotal(archive.get(), global.number_entry);
  if (!needed) {
    Log(L"Entry information error");
    return UnzipResult::PackageFault;
  }
  if (VolumeLacksRoom(*needed, target)) {
    Log(L"The install folder's volume has too little free space for the package");
    return UnzipResult::OutOfDisk;
  }

  InstallRollback rollback(target);
  const bool existed = IsFolder(target);
  if (existed && !rollback.RecoverEarlierInstall()) return UnzipResult::InstallFault;
  if (!CreateTargetFolder(target)) return UnzipResult::InstallFault;
  if (!rollback.Start(!existed)) {
    Log(L"Unable to start the install journal");
    if (!existed) ::RemoveDirectoryW(target.c_str());
    return UnzipResult::InstallFault;
  }
  Log(L"\nUnzipFile targetFolder:");
  Log(base::ForLog(target));

  UnzipResult result = ExtractEntries(archive.get(), global.number_entry, target, rollback);
  if (result != UnzipResult::Extracted) {
    rollback.RollBack();
  } else if (!rollback.Commit()) {
    result = UnzipResult::InstallFault;
  }
  return result;
}

}  // namespace app
