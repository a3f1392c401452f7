#include "app/install/common/setup_log.h"

#include <windows.h>

#include <cwchar>
#include <ctime>
#include <string>

#include "app/install/common/product.h"
#include "base/time/wall_clock.h"
#include "base/unique_any.h"

namespace app {
namespace {


void DebugOutput(const wchar_t* text) {
  ::OutputDebugStringW(L"\n[log] ");
  ::OutputDebugStringW(text);
  ::OutputDebugStringW(L" \n");
}

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

// Appends under a lock on one byte far past any real data, so records of the
// two threads, or of two installers started from one folder, never
// interleave or overwrite each other (an append-only handle alone is not
// enough everywhere), while readers of the log are never blocked.
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

}  // namespace

void WriteSetupLog(const std::wstring& text) {
  DebugOutput(text.c_str());

  base::unique_hfile file(::CreateFileW(kSetupLogFileName, GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  std::wstring stamp = Timestamp();
  if (!file) {
    DebugOutput(L"Unable to open log file\xFF01");
    return;
  }
  std::string bytes = EncodeRecord(L"\n[" + stamp + L"] " + text + L"\r\n");
  AppendAsOneUnit(file.get(), bytes);
}

void WriteSetupLogLastError(const wchar_t* label) {
  const DWORD error = ::GetLastError();
  WriteSetupLog(label);
  WriteSetupLog(std::to_wstring(error));
}

}  // namespace app
