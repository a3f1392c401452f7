// The installer's diagnostic log.
#pragma once

#include <string>

namespace app {

// Sends `text` to the debugger output and appends one time-stamped record to
// "setup.log" in the working directory, converted through the process-wide
// locale (code page 936 once the start-up has set "chs"). Callable from any
// thread; records of different threads and processes never interleave.
// The file stays open from one record to the next, shared for reading and
// writing (not for deleting); a record written after the working directory
// changed goes to that folder's setup.log.
// Failures are not reported: a message that cannot be written is only lost
// from the file.
void WriteSetupLog(const std::wstring& text);

// Writes `label`, then the calling thread's last error in decimal, as two
// records. The error is taken before anything is written (or allocated),
// since writing the log calls the system and replaces it.
void WriteSetupLogLastError(const wchar_t* label);

}  // namespace app
