// Where a test finds things: the process environment tools/test sets, the
// build and source folders, and the two names of a file (Wine's Z: drive is
// the Linux root, so the Linux side and the program see the same files).
#pragma once

#include <string>

namespace test_support {

// A variable of the process environment; empty when unset or too long.
std::string Environment(const char* name);

// A Linux path as Wine's Z: drive shows it.
std::wstring WindowsPath(const std::string& unix_path);
// The Linux name of any Windows path (drive C: included); empty when Wine
// cannot tell.
std::string UnixPath(const std::wstring& windows_path);

// The build folder, Windows form: $ORVANE_BINARY_DIR, or, when a runner did
// not pass it on, the folder above the test program's (<build>\tests\x.exe).
std::wstring BuildFolder();
// The same as a Linux path, for commands run on the Linux side.
std::string BinaryDir();
// $ORVANE_SOURCE_DIR in Windows form; empty when unset.
std::wstring SourceFolder();
// <build>\screenshots, created on the way.
std::wstring ScreenshotFolder();

}  // namespace test_support
