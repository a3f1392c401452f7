// A stand-in for the installed client: it carries a version resource and
// stays running until it is ended or its own time runs out, so the installer's
// running-client check and the registration have a real program to find.
// Given a file as well, it holds that file open with no sharing, as a virus
// scanner or backup tool may hold a client's file, and says so by creating
// "<its own path>.holding" once the file is held.
//
// Usage: Orvane.exe [seconds [file]]   (default 120; the time-out keeps a test
// that forgets to end it from leaving it behind for long).
#include <windows.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  unsigned long seconds = 120;
  HANDLE held = INVALID_HANDLE_VALUE;
  if (command_line && *command_line) {
    wchar_t* end = nullptr;
    unsigned long value = std::wcstoul(command_line, &end, 10);
    if (end != command_line) seconds = value;
    std::wstring file = end;
    file.erase(0, file.find_first_not_of(L" \""));
    file.erase(file.find_last_not_of(L" \"") + 1);
    if (!file.empty()) {
      held = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (held == INVALID_HANDLE_VALUE) return 2;
      wchar_t self[MAX_PATH];
      DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
      std::wstring marker = std::wstring(self, length) + L".holding";
      HANDLE sign = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (sign != INVALID_HANDLE_VALUE) ::CloseHandle(sign);
    }
  }
  ::Sleep(seconds * 1000);
  if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
  return 0;
}
