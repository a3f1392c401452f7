// A stand-in for the installed client: it carries a version resource and
// stays running until it is ended or its own time runs out, so the installer's
// running-client check and the registration have a real program to find.
//
// Usage: Orvane.exe [seconds]   (default 120; the time-out keeps a test that
// forgets to end it from leaving it behind for long).
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  unsigned long seconds = 120;
  if (command_line && *command_line) {
    wchar_t* end = nullptr;
    unsigned long value = std::wcstoul(command_line, &end, 10);
    if (end != command_line) seconds = value;
  }
  ::Sleep(seconds * 1000);
  return 0;
}
