// Entry point of every test executable: GoogleTest's main, with the process
// set up the way the installer sets itself up (the "chs" locale, so wide text
// converts through code page 936) and, for tests on the display, Wine's
// desktop ready for their windows; or a child role when a test started this
// program as its helper process.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "support/child_role.h"
#include "support/desktop.h"
#include "support/paths.h"

int wmain(int argc, wchar_t** argv) {
  std::setlocale(LC_ALL, "chs");
  // Unbuffered so a crash under Wine still shows the last lines.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  int exit_code = 0;
  if (test_support::RunChildRoleIfAsked(argc, argv, &exit_code)) return exit_code;
  testing::InitGoogleTest(&argc, argv);
  if (!test_support::Environment("ORVANE_WANT_DISPLAY").empty() && !test_support::WaitForDesktop()) {
    std::fprintf(stderr, "Wine's desktop takes no window: no test on the display can run\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
