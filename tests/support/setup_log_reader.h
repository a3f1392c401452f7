// Reading back what the program wrote to setup.log. A record is CR LF "["
// a 19-character stamp "] " the message CR CR LF; messages are in code page
// 936, a line feed in a message is CR LF in the file.
#pragma once

#include <string>
#include <vector>

namespace test_support {

// The messages of the records in `log_bytes`, as written (code page 936,
// CR LF kept), in order; reading stops at the first malformed record.
std::vector<std::string> SetupLogRecords(const std::string& log_bytes);

// The messages of the log file at `path`, decoded, line feeds restored.
std::vector<std::wstring> SetupLogMessages(const std::wstring& path = L"setup.log");

// Empties the log at `path` between two steps of a test. The program keeps
// its log open from one record to the next, so the file is cut to nothing
// rather than deleted (a delete would not take while it is open); the next
// record lands at its start.
void ClearSetupLog(const std::wstring& path = L"setup.log");

}  // namespace test_support
