// What the window tests share: the build folders as Wine sees them, files
// written with their folders, Linux programs (xdotool, ImageMagick) run on
// the test display from inside Wine, and message pumping that cannot hang.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace test_support {

// A variable of the process environment; empty when unset or too long.
std::string Environment(const char* name);
// UTF-8 to UTF-16.
std::wstring Wide(const std::string& text);
// A Linux path as Wine's Z: drive shows it.
std::wstring WindowsPath(const std::string& unix_path);
// $ORVANE_BINARY_DIR as a Linux path (/tmp when unset).
std::string BinaryDir();

// Writes `bytes` to `path`, creating the folders on the way; a failure is a
// test failure.
void WriteFileAt(const std::wstring& path, const std::string& bytes);

// Runs `command` with /bin/sh on the Linux side and waits (pumping this
// thread's messages, at most 10 s) for it to end; false on the timeout.
bool RunLinux(const std::string& command);
bool Xdotool(const std::string& arguments);
// Saves the whole display as $ORVANE_BINARY_DIR/screenshots/<name>.
bool SaveScreenshot(const std::string& name);

// Pumps messages (and the loop's tasks) until `done` or the timeout; false
// on the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);
void PumpFor(DWORD ms);

}  // namespace test_support
