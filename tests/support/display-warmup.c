/* Run once with the display at the start of a session: asking for the
 * monitors makes Wine set up its display devices from the X server. Without
 * it, programs started without a display right after (test listing) set them
 * up from the null driver as a 1024 x 768 monitor, and every window after
 * that is centred on a screen that does not exist.
 *
 * With "stay" it then keeps a hidden window until the session ends. Wine
 * closes its desktop (explorer) once the last program that used it has
 * gone, and starts it again for the next one; a test that starts while the
 * old desktop is still going down cannot create its windows. One program
 * that outlives every test keeps the same desktop up for the whole session
 * and saves each test the desktop's start. */
#include <windows.h>
#include <string.h>

int main(int argc, char** argv) {
  MONITORINFO info;
  POINT origin = {0, 0};
  MSG message;
  HWND keeper;
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info)) return 1;
  if (argc < 2 || strcmp(argv[1], "stay") != 0) return 0;
  /* Never shown; its loop answers whatever is sent to every top-level window. */
  keeper = CreateWindowExW(0, L"STATIC", L"session desktop keeper", WS_POPUP, 0, 0, 1, 1, NULL,
                           NULL, GetModuleHandleW(NULL), NULL);
  if (!keeper) return 1;
  while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
