#include "app/install/extract/install_rollback.h"

#include <windows.h>

#include <cwchar>
#include <string_view>
#include <vector>

#include "base/files/path_compare.h"
#include "app/install/common/setup_log.h"
#include "app/install/extract/zip_entry_name.h"

namespace app {
namespace {

// Hidden inside the install folder: on its volume, and of the product's own.
constexpr wchar_t kBackupFolderName[] = L".orvane-rollback";
constexpr wchar_t kJournalName[] = L"journal";

// Journal records, each "<kind><backup name>|<relative name>" and a NUL (no
// entry name holds one, so a name cannot forge a record).
constexpr wchar_t kCreatedInstallFolder = L'T';
constexpr wchar_t kCreatedFolder = L'D';
constexpr wchar_t kAddedFile = L'F';
constexpr wchar_t kReplacedFile = L'R';

struct JournalRecord {
  wchar_t kind;
  std::wstring backup;
  std::wstring name;
};

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// `relative_name` with a backslash for every separator and none at its
// end: one spelling of a folder for the folders known.
std::wstring FolderKey(const std::wstring& relative_name) {
  std::wstring key = relative_name;
  for (wchar_t& c : key) {
    if (c == L'/') c = L'\\';
  }
  while (!key.empty() && key.back() == L'\\') key.pop_back();
  return key;
}

// A name made by this install, without the dots and blanks Windows drops
// from the end of a name, so "a.txt." finds "a.txt".
std::wstring MadeNameKey(const std::wstring& relative_name) {
  std::wstring key = FolderKey(relative_name);
  while (!key.empty() && (key.back() == L'.' || key.back() == L' ')) key.pop_back();
  return key;
}

bool IsGone() {
  DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The complete records of a journal; a record cut short by a crash was
// written before its change was made, so that change never happened.
std::vector<JournalRecord> ReadJournal(const std::wstring& path) {
  std::vector<JournalRecord> records;
  base::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024) return records;
  std::wstring text(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
  DWORD read = 0;
  DWORD wanted = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (wanted && (!::ReadFile(file.get(), text.data(), wanted, &read, nullptr) || read != wanted)) return records;
  size_t start = 0;
  for (size_t end = text.find(L'\0'); end != std::wstring::npos; start = end + 1, end = text.find(L'\0', start)) {
    std::wstring_view record(text.data() + start, end - start);
    size_t bar = record.find(L'|');
    if (record.empty() || bar == std::wstring_view::npos) continue;
    records.push_back(JournalRecord{record[0], std::wstring(record.substr(1, bar - 1)), std::wstring(record.substr(bar + 1))});
  }
  return records;
}

// Deletes what the backup folder holds, then the folder. What cannot go yet
// (a moved-aside program still running) goes at the next restart, or at the
// next install.
void ClearBackupFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      std::wstring path = folder + L"\\" + found.cFileName;
      if (!::DeleteFileW(path.c_str())) ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(folder.c_str());
}

// Backups are named by number. Asking for each name whether it is taken
// costs a directory scan under Wine (a missing name is looked for in every
// case), so the names a cleared folder still holds (files that could not be
// deleted yet) are read once and numbering starts past them.
uint64_t FirstFreeBackupNumber(const std::wstring& folder) {
  uint64_t first_free = 0;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return first_free;
  do {
    wchar_t* end = nullptr;
    const uint64_t number = std::wcstoull(found.cFileName, &end, 10);
    if (end != found.cFileName && *end == L'\0' && number >= first_free) first_free = number + 1;
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return first_free;
}

}  // namespace

InstallRollback::InstallRollback(std::wstring folder)
    : folder_(std::move(folder)),
      backup_folder_(folder_ + L"\\" + kBackupFolderName),
      journal_path_(backup_folder_ + L"\\" + kJournalName) {}

InstallRollback::~InstallRollback() {
  if (open_) RollBack();
}

bool InstallRollback::IsReservedName(const std::wstring& relative_name) {
  std::wstring_view first(relative_name);
  first = first.substr(0, first.find_first_of(L"/\\"));
  // Windows drops the dots and blanks that end a name.
  while (!first.empty() && (first.back() == L'.' || first.back() == L' ')) first.remove_suffix(1);
  return base::SameIgnoringCase(first, kBackupFolderName);
}

bool InstallRollback::IgnoringCaseLess::operator()(const std::wstring& a, const std::wstring& b) const {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_LESS_THAN;
}

std::wstring InstallRollback::Full(const std::wstring& relative_name) const {
  return folder_ + L"\\" + relative_name;
}

bool InstallRollback::RecoverEarlierInstall() {
  if (Exists(journal_path_)) {
    WriteSetupLog(L"An unfinished earlier install is rolled back");
    return RollBack();
  }
  if (IsFolder(backup_folder_)) ClearBackupFolder(backup_folder_);
  return true;
}

bool InstallRollback::Start(bool created_folder) {
  if (!::CreateDirectoryW(backup_folder_.c_str(), nullptr) && !IsFolder(backup_folder_)) return false;
  ::SetFileAttributesW(backup_folder_.c_str(), FILE_ATTRIBUTE_HIDDEN);
  journal_.reset(::CreateFileW(journal_path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!journal_) {
    ::RemoveDirectoryW(backup_folder_.c_str());
    return false;
  }
  next_backup_ = FirstFreeBackupNumber(backup_folder_);
  known_folders_[L""] = created_folder;
  open_ = true;
  return !created_folder || Record(kCreatedInstallFolder, L"", L"");
}

bool InstallRollback::Record(wchar_t kind, const std::wstring& backup, const std::wstring& relative_name) {
  if (!journal_) return false;
  std::wstring record = kind + backup + L"|" + relative_name;
  record.push_back(L'\0');
  DWORD size = static_cast<DWORD>(record.size() * sizeof(wchar_t));
  DWORD written = 0;
  return ::WriteFile(journal_.get(), record.data(), size, &written, nullptr) && written == size;
}

bool InstallRollback::CannotExistYet(const std::wstring& relative_name) const {
  const std::wstring key = FolderKey(relative_name);
  const size_t separator = key.find_last_of(L'\\');
  const std::wstring folder = separator == std::wstring::npos ? std::wstring() : key.substr(0, separator);
  // A short name ("CLIENT~1.EXE") can stand for a long one made earlier.
  if (key.find(L'~', separator == std::wstring::npos ? 0 : separator) != std::wstring::npos) return false;
  auto known = known_folders_.find(folder);
  return known != known_folders_.end() && known->second && made_names_.count(MadeNameKey(relative_name)) == 0;
}

bool InstallRollback::FolderExists(const std::wstring& relative_name) {
  std::wstring key = FolderKey(relative_name);
  if (known_folders_.count(key)) return true;
  if (!IsFolder(Full(relative_name))) return false;
  known_folders_.emplace(std::move(key), false);
  return true;
}

bool InstallRollback::WillCreateFolder(const std::wstring& relative_name) {
  if (FolderExists(relative_name)) return true;
  if (!Record(kCreatedFolder, L"", relative_name)) return false;
  known_folders_[FolderKey(relative_name)] = true;
  made_names_.insert(MadeNameKey(relative_name));
  return true;
}

bool InstallRollback::WillWriteFile(const std::wstring& relative_name) {
  // In a folder this install made, a file it has not written is not there:
  // no need to ask (under Wine, asking for a missing name reads the whole
  // folder).
  const bool cannot_exist = CannotExistYet(relative_name);
  const std::wstring path = Full(relative_name);
  DWORD attributes = cannot_exist ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!Record(kAddedFile, L"", relative_name)) return false;
    made_names_.insert(MadeNameKey(relative_name));
    return true;
  }
  // A folder in the file's place: creating the file fails by itself.
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
  const std::wstring backup = std::to_wstring(next_backup_++);
  if (!Record(kReplacedFile, backup, relative_name)) return false;
  // Without MOVEFILE_COPY_ALLOWED: a rename, never a copy.
  return ::MoveFileExW(path.c_str(), (backup_folder_ + L"\\" + backup).c_str(), 0) != FALSE;
}

bool InstallRollback::Commit() {
  if (!open_) return false;
  journal_.reset();
  if (!::DeleteFileW(journal_path_.c_str())) {
    WriteSetupLogLastError(L"Failed to remove the install journal. Error code:");
    RollBack();
    return false;
  }
  open_ = false;
  ClearBackupFolder(backup_folder_);
  return true;
}

bool InstallRollback::RollBack() {
  journal_.reset();
  open_ = false;
  std::vector<JournalRecord> records = ReadJournal(journal_path_);
  bool complete = true;
  bool remove_folder = false;
  for (auto record = records.rbegin(); record != records.rend(); ++record) {
    if (record->kind == kCreatedInstallFolder) {
      remove_folder = true;
      continue;
    }
    // Only names inside the folder, whatever the file holds.
    if (!StaysInsideTarget(record->name) || IsReservedName(record->name)) continue;
    const std::wstring path = Full(record->name);
    if (record->kind == kCreatedFolder) {
      // A folder someone else has put files into meanwhile stays.
      ::RemoveDirectoryW(path.c_str());
    } else if (record->kind == kAddedFile) {
      if (!::DeleteFileW(path.c_str()) && !IsGone()) complete = false;
    } else if (record->kind == kReplacedFile) {
      const std::wstring backup = backup_folder_ + L"\\" + record->backup;
      // Not moved aside: the original never left its place.
      if (!Exists(backup)) continue;
      if (!::MoveFileExW(backup.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) complete = false;
    }
  }
  if (!complete) {
    WriteSetupLog(L"Failed to roll back the install folder");
    return false;
  }
  ::DeleteFileW(journal_path_.c_str());
  ClearBackupFolder(backup_folder_);
  if (remove_folder) ::RemoveDirectoryW(folder_.c_str());
  WriteSetupLog(L"The install folder was rolled back");
  return true;
}

}  // namespace app
