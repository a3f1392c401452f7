#include "support/setup_log_reader.h"

#include <windows.h>

#include "base/text/text_conversion.h"
#include "base/unique_any.h"
#include "support/files.h"

namespace test_support {
namespace {

// The code page the setup log is written in.
constexpr unsigned kLogCodePage = 936;

}  // namespace

std::vector<std::string> SetupLogRecords(const std::string& log_bytes) {
  constexpr size_t kHead = 3 + 19 + 2;  // CR LF "[", the stamp, "] "
  std::vector<std::string> messages;
  size_t position = 0;
  while (position + kHead <= log_bytes.size() && log_bytes.compare(position, 3, "\r\n[") == 0) {
    const size_t start = position + kHead;
    const size_t end = log_bytes.find("\r\r\n", start);
    if (end == std::string::npos) break;
    messages.push_back(log_bytes.substr(start, end - start));
    position = end + 3;
  }
  return messages;
}

std::vector<std::wstring> SetupLogMessages(const std::wstring& path) {
  std::vector<std::wstring> messages;
  for (const std::string& record : SetupLogRecords(ReadFileBytes(path))) {
    std::string restored;
    for (size_t i = 0; i < record.size(); ++i) {
      if (record[i] == '\r' && i + 1 < record.size() && record[i + 1] == '\n') continue;
      restored += record[i];
    }
    messages.push_back(base::WideFromCodePage(restored, kLogCodePage));
  }
  return messages;
}

void ClearSetupLog(const std::wstring& path) {
  base::unique_hfile emptied(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace test_support
