/* Run once with the display at the start of a session: asking for the
 * monitors makes Wine set up its display devices from the X server. Without
 * it, programs started without a display right after (test listing) set them
 * up from the null driver as a 1024 x 768 monitor, and every window after
 * that is centred on a screen that does not exist. */
#include <windows.h>

int main(void) {
  MONITORINFO info;
  POINT origin = {0, 0};
  info.cbSize = sizeof(info);
  return GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info) ? 0 : 1;
}
