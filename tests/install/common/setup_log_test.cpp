#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <regex>
#include <string>

#include "app/install/common/setup_log.h"
#include "base/unique_any.h"
#include "support/child_role.h"
#include "support/files.h"
#include "support/fixed_wall_clock.h"
#include "support/working_folder_test.h"

namespace {

// Each test runs in a fresh working directory of its own, since the log
// always goes to "setup.log" in the working directory.
class SetupLogTest : public test_support::WorkingFolderTest {
 protected:
  std::string LogBytes() { return test_support::ReadFileBytes(temp_ / L"setup.log"); }
};

// "YYYY/MM/DD hh:mm:ss" inside the brackets.
const char kStampPattern[] = R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\])";

TEST_F(SetupLogTest, EmptyMessageIsAStampedRecordBetweenLineBreaks) {
  // An empty message still writes CR LF, the stamp, a space and CR CR LF.
  app::WriteSetupLog(L"");
  std::string bytes = LogBytes();
  EXPECT_TRUE(std::regex_match(bytes, std::regex(std::string("\r\n") + kStampPattern + " \r\r\n")))
      << "record bytes: " << bytes;
}

TEST_F(SetupLogTest, ChineseTextIsWrittenInCodePage936) {
  // The start-up line ends in a blank and 中文, which code page 936 writes as D6 D0 CE C4.
  app::WriteSetupLog(L"The current process is unique and can continue to execute \x4E2D\x6587");
  std::string bytes = LogBytes();
  std::string expected_tail = "] The current process is unique and can continue to execute \xD6\xD0\xCE\xC4\r\r\n";
  ASSERT_GE(bytes.size(), expected_tail.size());
  EXPECT_EQ(bytes.substr(bytes.size() - expected_tail.size()), expected_tail);
  EXPECT_EQ(bytes.substr(0, 3), "\r\n[");
}

TEST_F(SetupLogTest, StampIsTheLocalTimeOfTheCall) {
  // The stamp is the wall clock's local time, to the second: a clock fixed
  // at the last second of a local day gives exactly that day and second.
  std::tm last_second{};
  last_second.tm_year = 2026 - 1900;
  last_second.tm_mon = 11;
  last_second.tm_mday = 31;
  last_second.tm_hour = 23;
  last_second.tm_min = 59;
  last_second.tm_sec = 59;
  last_second.tm_isdst = -1;
  {
    test_support::ScopedFixedWallClock clock(std::mktime(&last_second));
    app::WriteSetupLog(L"x");
  }
  EXPECT_EQ(LogBytes(), "\r\n[2026/12/31 23:59:59] x\r\r\n");
}

TEST_F(SetupLogTest, RecordsAppendAndLineFeedsInsideAMessageBecomeCrLf) {
  // Existing content stays; each record follows the last one.
  app::WriteSetupLog(L"fileSize:");
  app::WriteSetupLog(L"12345");
  app::WriteSetupLog(L"two\nlines");
  std::string bytes = LogBytes();
  std::regex three(std::string("\r\n") + kStampPattern + " fileSize:\r\r\n\r\n" + kStampPattern +
                   " 12345\r\r\n\r\n" + kStampPattern + " two\r\nlines\r\r\n");
  EXPECT_TRUE(std::regex_match(bytes, three)) << "log bytes: " << bytes;
}

TEST_F(SetupLogTest, AnErrorLineNamesTheFailedCallsErrorNotTheLogs) {
  // Writing the first record opens the existing log file, which on its own
  // leaves ERROR_ALREADY_EXISTS (183) behind.
  app::WriteSetupLog(L"before");
  ::SetLastError(ERROR_ACCESS_DENIED);
  app::WriteSetupLogLastError(L"Failed to terminate process. Error code:");
  std::string bytes = LogBytes();
  EXPECT_NE(bytes.find("] Failed to terminate process. Error code:\r\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("] 5\r\r\n"), std::string::npos) << "the error line is not the failed call's: " << bytes;
}

TEST_F(SetupLogTest, UnrepresentableCharacterEndsThatRecordOnly) {
  // A character outside code page 936 cuts the rest of its record; the next record is whole.
  app::WriteSetupLog(L"ok \x0E01 lost");  // Thai letter: not in code page 936.
  app::WriteSetupLog(L"next");
  std::string bytes = LogBytes();
  EXPECT_NE(bytes.find("] ok "), std::string::npos);
  EXPECT_EQ(bytes.find("lost"), std::string::npos) << "text after the bad character was written";
  EXPECT_NE(bytes.find("] next\r\r\n"), std::string::npos) << "the following record was damaged";
}

TEST_F(SetupLogTest, UnwritableLogLosesTheRecordWithoutHarm) {
  // When setup.log cannot be opened the call returns quietly and writes nothing.
  {
    // Another program holds the file without sharing.
    base::unique_hfile locked(::CreateFileW(L"setup.log", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked.is_valid());
    app::WriteSetupLog(L"lost while locked");
  }
  EXPECT_EQ(LogBytes(), "") << "a record was written through an exclusive lock";
  ASSERT_TRUE(::DeleteFileW(L"setup.log"));

  // The working directory has a folder where the file would be.
  ASSERT_TRUE(::CreateDirectoryW(L"setup.log", nullptr));
  app::WriteSetupLog(L"lost on a folder");
  DWORD attributes = ::GetFileAttributesW(L"setup.log");
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(SetupLogTest, RecordsGoToTheLogOfTheWorkingDirectoryOfTheirMoment) {
  // The log stays open between records, yet after the working directory
  // changes the next record goes to that folder's setup.log, and back.
  app::WriteSetupLog(L"first folder");
  test_support::ScratchFolder other;
  {
    test_support::WorkingFolder working(other.path());
    ASSERT_TRUE(working.entered());
    app::WriteSetupLog(L"other folder");
  }
  app::WriteSetupLog(L"first folder again");
  EXPECT_EQ(test_support::SetupLogMessages(other / L"setup.log"), std::vector<std::wstring>{L"other folder"});
  EXPECT_EQ(Log(), (std::vector<std::wstring>{L"first folder", L"first folder again"}));
}

// The writer the two-process test starts twice: 200 records tagged with
// ORVANE_LOG_CHILD_TAG.
int AppendTaggedRecords() {
  wchar_t tag[16] = {};
  if (!::GetEnvironmentVariableW(L"ORVANE_LOG_CHILD_TAG", tag, 16)) return 2;
  for (int i = 0; i < 200; ++i) app::WriteSetupLog(std::wstring(tag) + L" record " + std::to_wstring(i));
  return 0;
}
const bool kAppendTaggedRecordsRole = test_support::RegisterChildRole(L"append-tagged-records", AppendTaggedRecords);

TEST_F(SetupLogTest, TwoProcessesAppendWholeRecordsToOneFile) {
  // Two writers started from one folder append to the same file; no record is torn.
  base::unique_handle children[2];
  for (int i = 0; i < 2; ++i) {
    ::SetEnvironmentVariableW(L"ORVANE_LOG_CHILD_TAG", i == 0 ? L"AAAA" : L"BBBB");
    children[i].reset(test_support::StartChildRole(L"append-tagged-records"));
    ASSERT_TRUE(children[i].is_valid()) << "a writer could not be started";
  }
  ::SetEnvironmentVariableW(L"ORVANE_LOG_CHILD_TAG", nullptr);
  for (auto& child : children) {
    ASSERT_EQ(::WaitForSingleObject(child.get(), 60000), WAIT_OBJECT_0) << "a writer never finished";
    DWORD code = 1;
    ::GetExitCodeProcess(child.get(), &code);
    EXPECT_EQ(code, 0u) << "a writer failed";
  }
  std::string bytes = LogBytes();
  std::regex record(std::string("\r\n") + kStampPattern + " (AAAA|BBBB) record (\\d+)\r\r\n");
  int counts[2] = {0, 0};
  size_t consumed = 0;
  for (std::sregex_iterator it(bytes.begin(), bytes.end(), record), end; it != end; ++it) {
    EXPECT_EQ(static_cast<size_t>(it->position()), consumed) << "torn or foreign bytes at " << consumed;
    consumed = it->position() + it->length();
    ++counts[(*it)[1] == "AAAA" ? 0 : 1];
  }
  EXPECT_EQ(consumed, bytes.size());
  EXPECT_EQ(counts[0], 200);
  EXPECT_EQ(counts[1], 200);
}

}  // namespace
