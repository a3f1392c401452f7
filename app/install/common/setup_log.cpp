#include "app/install/common/setup_log.h"

#include <windows.h>

#include <cwchar>
#include <ctime>
#include <string>

#include "app/install/common/product.h"
#include "base/lock.h"
#include "base/time/wall_clock.h"
#include "base/unique_any.h"

namespace app {
namespace {

// Local time of the wall clock, as "YYYY/MM/DD hh:mm:ss".
std::wstring Timestamp() {
  __time64_t seconds = base::WallClockNow();
  struct tm local {};
  if (_localtime64_s(&local, &seconds) != 0) return L"";
  wchar_t buffer[32] = {};
  std::wcsftime(buffer, 32, L"%Y/%m/%d %H:%M:%S", &local);
  return buffer;
}

// Converts the record with the process-wide locale, the way a text-mode
// stream does: each line feed becomes CR LF, and a character the code page
// cannot hold ends the conversion (the rest of the record is dropped).
std::string EncodeRecord(const std::wstring& record) {
  std::string bytes;
  bytes.reserve(record.size() * 2 + 8);
  std::mbstate_t state{};
  char buffer[MB_LEN_MAX];
  for (wchar_t c : record) {
    if (c == L'\n') {
      bytes += "\r\n";
      continue;
    }
    size_t length = std::wcrtomb(buffer, c, &state);
    if (length == static_cast<size_t>(-1)) break;
    bytes.append(buffer, length);
  }
  return bytes;
}

// The full path of "setup.log" in the working directory of this moment,
// formed from the text alone (the file system is not asked).
std::wstring LogPath() {
  const DWORD size = ::GetFullPathNameW(kSetupLogFileName, 0, nullptr, nullptr);
  std::wstring path(size, L'\0');
  const DWORD length = size ? ::GetFullPathNameW(kSetupLogFileName, size, path.data(), nullptr) : 0;
  if (length == 0 || length >= size) return kSetupLogFileName;
  path.resize(length);
  return path;
}

// Appends under a lock on one byte far past any real data, so records of
// two installers started from one folder never interleave or overwrite
// each other (an append-only handle alone is not enough everywhere), while
// readers of the log are never blocked.
void AppendAsOneUnit(HANDLE file, const std::string& bytes) {
  OVERLAPPED lock_position{};
  lock_position.Offset = 0xFFFFFFFE;
  lock_position.OffsetHigh = 0x7FFFFFFF;
  bool locked = ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lock_position);
  LARGE_INTEGER end{};
  ::SetFilePointerEx(file, end, nullptr, FILE_END);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (locked) ::UnlockFileEx(file, 0, 1, 0, &lock_position);
}

// The log file this process appends to. An extraction writes several
// records an entry, and opening, locking and closing the file for each of
// them was a large part of its time; so the file stays open, tied to the
// full path it was opened under. The log follows the working directory: a
// record written after the directory changed opens that folder's log.
class OpenLog {
 public:
  // Never destroyed: a thread may still write a record while the process
  // ends.
  static OpenLog& The() {
    static OpenLog* const log = new OpenLog;
    return *log;
  }

  // `bytes` as one record at the end of the log at `path`; lost when that
  // file cannot be opened.
  void Append(const std::wstring& path, const std::string& bytes) {
    // Records of this process's threads go one after another; the file
    // lock inside orders them against other processes.
    base::AutoLock hold(lock_);
    if (!file_ || path != path_) {
      file_.reset();
      path_.clear();
      file_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file_) {
        ::OutputDebugStringW(L"\n[log] Unable to open log file\xFF01 \n");
        return;
      }
      path_ = path;
    }
    AppendAsOneUnit(file_.get(), bytes);
  }

 private:
  OpenLog() = default;

  base::Lock lock_;
  std::wstring path_;  // What file_ was opened under; empty while none is open.
  base::unique_hfile file_;
};

}  // namespace

void WriteSetupLog(const std::wstring& text) {
  ::OutputDebugStringW((L"\n[log] " + text + L" \n").c_str());
  std::string bytes = EncodeRecord(L"\n[" + Timestamp() + L"] " + text + L"\r\n");
  OpenLog::The().Append(LogPath(), bytes);
}

void WriteSetupLogLastError(const wchar_t* label) {
  const DWORD error = ::GetLastError();
  WriteSetupLog(label);
  WriteSetupLog(std::to_wstring(error));
}

}  // namespace app
