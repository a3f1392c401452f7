#include "ui/resources/language_strings.h"

#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "support/scratch_folder.h"

namespace {

using test_support::ScratchFolder;
using test_support::WriteFileBytes;

// The lines of a gdstrings.ini that exercise every rule of the format.
const std::string kIni =
    "\xEF\xBB\xBF;Example: KEY=VALUE\r\n"
    "STRING_OK = OK\r\n"
    "STRID_CEF_BROWSER_BACKWARD\t\t=\tBack\r\n"
    "TWO_EQUALS==value\r\n"
    "SECOND_EQUAL=a=b\r\n"
    "NOTHING_AFTER=\r\n"
    "NO_EQUAL_SIGN\r\n"
    ";COMMENTED=yes\r\n"
    "SEMI;COLON=yes\r\n"
    "\r\n"
    "   \r\n"
    "MULTI=first\\nsecond\\r\\nthird\r\n"
    "REPEATED=old\r\n"
    "REPEATED=new\r\n"
    "CHINESE=\xE5\xAE\x89\xE8\xA3\x85\r\n";

void ExpectStandardTable(const ui::LanguageStrings& strings) {
  EXPECT_EQ(L"OK", strings.Lookup(L"STRING_OK"));
  EXPECT_EQ(L"Back", strings.Lookup(L"STRID_CEF_BROWSER_BACKWARD")) << "tabs around = are trimmed";
  EXPECT_EQ(L"value", strings.Lookup(L"TWO_EQUALS")) << "a run of = is one separator";
  EXPECT_EQ(L"", strings.Lookup(L"SECOND_EQUAL")) << "a second = drops the line";
  EXPECT_EQ(L"", strings.Lookup(L"NOTHING_AFTER"));
  EXPECT_EQ(L"", strings.Lookup(L";COMMENTED"));
  EXPECT_EQ(L"", strings.Lookup(L"SEMI;COLON")) << "a key holding ; is ignored";
  EXPECT_EQ(L"first\nsecond\r\nthird", strings.Lookup(L"MULTI"));
  EXPECT_EQ(L"new", strings.Lookup(L"REPEATED"));
  EXPECT_EQ(L"\x5B89\x88C5", strings.Lookup(L"CHINESE"));
  EXPECT_EQ(L"", strings.Lookup(L""));
  EXPECT_EQ(L"", strings.Lookup(L"UNKNOWN"));
  EXPECT_EQ(6u, strings.GetCount());
}

TEST(LanguageStringsTest, ReadsTheLinesOfAMemoryBlock) {
  ui::LanguageStrings strings;
  strings.LoadFromMemory(kIni.data(), kIni.size());
  ExpectStandardTable(strings);

  // NUL bytes end lines as well, as in a zero-filled block read from the archive.
  const std::string with_nuls = std::string("A=1\0B=2\0\0\0", 10);
  strings.LoadFromMemory(with_nuls.data(), with_nuls.size());
  EXPECT_EQ(L"1", strings.Lookup(L"A"));
  EXPECT_EQ(L"2", strings.Lookup(L"B"));
  EXPECT_EQ(L"", strings.Lookup(L"STRING_OK")) << "loading empties the table first";
}

TEST(LanguageStringsTest, ReadsTheSameLinesFromAFile) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteFileBytes(dir / L"gdstrings.ini", kIni));
  ui::LanguageStrings strings;
  ASSERT_TRUE(strings.LoadFromFile(dir / L"gdstrings.ini"));
  ExpectStandardTable(strings);

  // A line longer than the 4096-byte line buffer is read as several lines.
  const std::string long_line =
      "LONG=" + std::string(4090, 'x') + "TAIL=t\n" + "AFTER=1\n";
  ASSERT_TRUE(WriteFileBytes(dir / L"long.ini", long_line));
  ASSERT_TRUE(strings.LoadFromFile(dir / L"long.ini"));
  EXPECT_EQ(std::wstring(4090, L'x'), strings.Lookup(L"LONG"));
  EXPECT_EQ(L"t", strings.Lookup(L"TAIL"));
  EXPECT_EQ(L"1", strings.Lookup(L"AFTER"));
}

TEST(LanguageStringsTest, AMissingFileLeavesTheTableEmpty) {
  ScratchFolder dir;
  ui::LanguageStrings strings;
  strings.LoadFromMemory(kIni.data(), kIni.size());
  EXPECT_FALSE(strings.LoadFromFile(dir / L"missing.ini"));
  EXPECT_EQ(0u, strings.GetCount());
  EXPECT_EQ(L"", strings.Lookup(L"STRING_OK"));
}

}  // namespace
