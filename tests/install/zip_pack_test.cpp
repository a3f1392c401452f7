#include "app/zip_pack.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "base/unique_any.h"
#include "install_test_support.h"

namespace {

using install_test::Exists;
using install_test::FolderNames;
using install_test::FromAnsi;
using install_test::IsFolder;
using install_test::ReadFileBytes;
using install_test::RunOnHost;
using install_test::ScratchFolder;
using install_test::ToAnsi;
using install_test::UnixPath;

constexpr wchar_t kCreateFolder[] = L"Create target folder\xFF1A";
constexpr wchar_t kFolderExists[] = L"The target folder already exists";
constexpr wchar_t kCannotCreateFile[] = L"Unable to create target file]\n";
constexpr wchar_t kCannotCreateFolder[] = L"Failed to create target folder";

size_t Count(const std::vector<std::wstring>& messages, const std::wstring& text) {
  return static_cast<size_t>(std::count(messages.begin(), messages.end(), text));
}

// The archives are written once per run by the host's tools: the test
// package by tools/make-test-package (zip), one client tree packed by zip,
// zip -D, Python's zipfile and 7-Zip by make-tool-packages, the odd ones by
// archives.py.
class ZipPackTest : public install_test::WorkingFolderTest {
 protected:
  static void SetUpTestSuite() {
    archives_ = std::make_unique<ScratchFolder>();
    std::string dir = UnixPath(archives_->path());
    std::string source = UnixPath(install_test::SourceFolder());
    std::string client = UnixPath(install_test::ClientExe());
    ready_ = std::make_unique<testing::AssertionResult>(
        RunOnHost("/usr/bin/python3 '" + source + "/tests/install/archives.py' build '" + dir + "' && '" + source +
                  "/tools/make-test-package' --client '" + client + "' --bulk-mib 3 '" + dir + "/package.zip' && '" +
                  source + "/tests/install/make-tool-packages' '" + dir + "/tools'"));
  }
  static void TearDownTestSuite() {
    archives_.reset();
    ready_.reset();
  }
  void SetUp() override {
    WorkingFolderTest::SetUp();
    ASSERT_TRUE(*ready_);
  }

  static std::string Archive(const wchar_t* name) { return ToAnsi(*archives_ / name); }
  std::string Target() const { return ToAnsi(temp_ / L"Soft"); }

  // Compares the extracted folder with the tree the zip tools packed, names
  // included (Wine keeps names as UTF-8 on the host).
  static testing::AssertionResult SameAsToolTree(const std::string& folder) {
    return RunOnHost("diff -r '" + UnixPath(*archives_ / L"tools\\tree") + "' '" + UnixPath(FromAnsi(folder)) + "'");
  }

  // Compares the extracted folder with Python's reading of the archive.
  static testing::AssertionResult SameAsArchive(const std::string& archive, const std::string& folder) {
    std::string source = UnixPath(install_test::SourceFolder());
    return RunOnHost("/usr/bin/python3 '" + source + "/tests/install/archives.py' verify '" +
                     UnixPath(FromAnsi(archive)) + "' '" + UnixPath(FromAnsi(folder)) + "'");
  }

  static std::unique_ptr<ScratchFolder> archives_;
  static std::unique_ptr<testing::AssertionResult> ready_;
};

std::unique_ptr<ScratchFolder> ZipPackTest::archives_;
std::unique_ptr<testing::AssertionResult> ZipPackTest::ready_;

TEST_F(ZipPackTest, FolderEntryThenFileLogsEachStepAndJoinsWithBackslash) {
  // app/ and app/client.exe: the target, then app/, are created; names keep
  // their "/" after the joining backslash.
  std::string package = Archive(L"app_client.zip");
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(package, target));

  std::wstring wide_target = FromAnsi(target);
  std::vector<std::wstring> expected = {
      L"ZipPack::UnzipFile:", FromAnsi(package), kCreateFolder, wide_target, L"\nUnzipFile targetFolder:",
      wide_target, L"[", L"app/", kCreateFolder, wide_target + L"\\app/", L"[", L"app/client.exe",
  };
  EXPECT_EQ(Log(), expected);
  EXPECT_EQ(ReadFileBytes(wide_target + L"\\app/client.exe").size(), 10000u);
}

TEST_F(ZipPackTest, FoldersNotListedInTheArchiveAreCreatedLevelByLevel) {
  // Only app/bin/client.exe is listed: app and app/bin are created first,
  // each logged like a folder entry.
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(Archive(L"no_folder_entry.zip"), target));
  std::wstring wide_target = FromAnsi(target);
  std::vector<std::wstring> log = Log();
  std::vector<std::wstring> expected = {L"[",           L"app/bin/client.exe", kCreateFolder,
                                        wide_target + L"\\app", kCreateFolder,        wide_target + L"\\app/bin"};
  ASSERT_GE(log.size(), expected.size());
  EXPECT_EQ(std::vector<std::wstring>(log.end() - 6, log.end()), expected);
  EXPECT_EQ(ReadFileBytes(wide_target + L"\\app\\bin\\client.exe").size(), 10000u);
}

TEST_F(ZipPackTest, PackagesOfCommonZipToolsExtractCompletelyUnderTheirNames) {
  // One client tree packed four ways: with and without folder entries, names
  // in code page 936 or flagged UTF-8, entries with data descriptors.
  for (const wchar_t* package : {L"info-zip.zip", L"info-zip-D.zip", L"python-stream.zip", L"7zip.zip"}) {
    SCOPED_TRACE(ToAnsi(package));
    ::DeleteFileW(L"setup.log");
    std::string target = ToAnsi(temp_ / (std::wstring(L"Soft-") + package));
    ASSERT_TRUE(app::ZipPack::UnzipFile(Archive((std::wstring(L"tools\\") + package).c_str()), target));
    EXPECT_TRUE(SameAsToolTree(target));
    EXPECT_EQ(Count(Log(), kCannotCreateFile), 0u);
  }
}

TEST_F(ZipPackTest, UnicodePathFieldNamesTheEntryOnlyWhenItMatchesTheStoredName) {
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(Archive(L"unicode_path.zip"), target));
  std::wstring wide_target = FromAnsi(target);
  // 统一\名字.txt
  EXPECT_EQ(ReadFileBytes(wide_target + L"\\\x7EDF\x4E00\\\x540D\x5B57.txt"), "unicode");
  EXPECT_EQ(ReadFileBytes(wide_target + L"\\stale.txt"), "stale") << "a stale field must not rename the entry";
  EXPECT_EQ(FolderNames(wide_target), (std::vector<std::wstring>{L"stale.txt", L"\x7EDF\x4E00"}));
}

TEST_F(ZipPackTest, EmptyArchiveOnlyCreatesTheTargetFolder) {
  std::string target = Target();
  EXPECT_TRUE(app::ZipPack::UnzipFile(Archive(L"empty.zip"), target));
  EXPECT_TRUE(IsFolder(FromAnsi(target)));
  EXPECT_TRUE(FolderNames(FromAnsi(target)).empty());
  std::vector<std::wstring> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), FromAnsi(target)) << "nothing is logged after the target folder line";
}

TEST_F(ZipPackTest, WhatIsNotAnArchiveFailsBeforeAnythingIsCreated) {
  // A downloaded error page, and a package that is not there at all: neither
  // has a zip directory, so neither opens as an archive.
  size_t failures = 0;
  for (std::string package : {Archive(L"not_a_zip.zip"), ToAnsi(temp_ / L"missing.zip")}) {
    std::string target = Target();
    EXPECT_FALSE(app::ZipPack::UnzipFile(package, target)) << package;
    EXPECT_FALSE(Exists(FromAnsi(target))) << package;
    std::vector<std::wstring> log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), L"fail to open the file") << package;
    EXPECT_EQ(Count(log, L"fail to open the file"), ++failures) << package;
  }
  EXPECT_EQ(Count(Log(), L"Global information error"), 0u);
  EXPECT_EQ(Count(Log(), kCreateFolder), 0u) << "a folder was made for what is not an archive";
}

TEST_F(ZipPackTest, MissingParentOfTheTargetFails) {
  std::string target = ToAnsi(temp_ / L"no\\such\\Soft");
  EXPECT_FALSE(app::ZipPack::UnzipFile(Archive(L"app_client.zip"), target));
  std::vector<std::wstring> log = Log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], kCreateFolder);
  EXPECT_EQ(log.back(), kCannotCreateFolder);
}

TEST_F(ZipPackTest, PackageIsExtractedByteForByte) {
  // The test package: the client, nested folders, a zero-length file, names
  // in code page 936 and entries larger than the extraction's buffer.
  std::string package = Archive(L"package.zip");
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(package, target));
  EXPECT_TRUE(SameAsArchive(package, target));

  std::wstring wide_target = FromAnsi(target);
  EXPECT_TRUE(Exists(wide_target + L"\\data\\empty.dat"));
  EXPECT_EQ(ReadFileBytes(wide_target + L"\\data\\empty.dat").size(), 0u);
  // 文档\说明.txt
  EXPECT_EQ(ReadFileBytes(wide_target + L"\\\x6587\x6863\\\x8BF4\x660E.txt"), "Orvane\r\n");
  EXPECT_EQ(Count(Log(), kCannotCreateFile), 0u);
}

TEST_F(ZipPackTest, SecondExtractionReusesFoldersAndReplacesFiles) {
  std::string package = Archive(L"package.zip");
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(package, target));
  std::wstring client = FromAnsi(target) + L"\\Orvane.exe";
  install_test::WriteFileBytes(client, "changed since the first extraction");
  ::DeleteFileW((FromAnsi(target) + L"\\data\\empty.dat").c_str());
  ::DeleteFileW(L"setup.log");

  ASSERT_TRUE(app::ZipPack::UnzipFile(package, target));
  EXPECT_TRUE(SameAsArchive(package, target));
  // The target and the six folder entries: resources/, resources/skin/,
  // resources/skin/images/, data/, data/bulk/ and 文档/.
  std::vector<std::wstring> log = Log();
  EXPECT_EQ(Count(log, kFolderExists), 7u);
  EXPECT_EQ(Count(log, kCreateFolder), 7u);
}

TEST_F(ZipPackTest, EntriesThatCannotBeWrittenFailTheExtraction) {
  // A file another program holds open cannot be replaced: the install must
  // not go on as if it had been.
  std::string package = Archive(L"app_client.zip");
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(package, target));
  std::wstring client = FromAnsi(target) + L"\\app\\client.exe";
  {
    base::unique_hfile locked(::CreateFileW(client.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    EXPECT_FALSE(app::ZipPack::UnzipFile(package, target));
    EXPECT_EQ(Log().back(), kCannotCreateFile);
  }

  // A file where the archive's folder goes: the folder entry fails.
  std::string blocked = ToAnsi(temp_ / L"Blocked");
  ASSERT_TRUE(::CreateDirectoryW(FromAnsi(blocked).c_str(), nullptr));
  install_test::WriteFileBytes(FromAnsi(blocked) + L"\\app", "a file, not a folder");
  EXPECT_FALSE(app::ZipPack::UnzipFile(package, blocked));
  EXPECT_EQ(Log().back(), kCannotCreateFolder);
}

TEST_F(ZipPackTest, EntriesLeadingOutOfTheTargetAreSkipped) {
  // Climbing, absolute, drive, stream and device names are refused like
  // entries that cannot be created, also when they come as UTF-8 (flagged,
  // in a Unicode Path field, or in an overlong form that is not valid
  // UTF-8); the safe entry after them is still written.
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(Archive(L"escape.zip"), target));

  std::wstring wide_target = FromAnsi(target);
  EXPECT_EQ(FolderNames(temp_.path()), (std::vector<std::wstring>{L"Soft", L"setup.log"}))
      << "nothing may land beside the target folder";
  EXPECT_EQ(FolderNames(wide_target), std::vector<std::wstring>{L"inside"});
  EXPECT_EQ(FolderNames(wide_target + L"\\inside"), std::vector<std::wstring>{L"kept.txt"});
  EXPECT_EQ(ReadFileBytes(wide_target + L"\\inside\\kept.txt"), "kept");
  EXPECT_FALSE(Exists(L"C:\\orvane-escaped-drive.txt"));
  EXPECT_FALSE(Exists(L"C:\\escaped-folder"));

  std::vector<std::wstring> log = Log();
  EXPECT_EQ(Count(log, kCannotCreateFile), 14u);
  EXPECT_EQ(Count(log, kCannotCreateFolder), 1u);
}

TEST_F(ZipPackTest, NamesTooLongForTheBuffersAreRejectedWithoutOverrun) {
  // A 600-byte file name, a 520-byte folder name and a 505-byte name that
  // only overflows once joined to the target folder.
  std::string target = Target();
  ASSERT_TRUE(app::ZipPack::UnzipFile(Archive(L"long_names.zip"), target));
  EXPECT_EQ(ReadFileBytes(FromAnsi(target) + L"\\after.txt"), "after");
  EXPECT_EQ(FolderNames(FromAnsi(target)), std::vector<std::wstring>{L"after.txt"});

  // A name cut short by the buffer has lost its final "/", so the folder is
  // refused as an entry that cannot be created, too.
  std::vector<std::wstring> log = Log();
  EXPECT_EQ(Count(log, kCannotCreateFile), 3u);
  // The log shows as much of an oversized name as the buffer holds.
  EXPECT_EQ(Count(log, std::wstring(511, L'n')), 1u);
}

TEST_F(ZipPackTest, CorruptEntryFailsTheExtractionAndLeavesNoFile) {
  // The second entry's data no longer matches its CRC: the extraction fails
  // (the installer then offers a retry) instead of reporting success.
  std::string target = Target();
  EXPECT_FALSE(app::ZipPack::UnzipFile(Archive(L"crc.zip"), target));
  EXPECT_EQ(ReadFileBytes(FromAnsi(target) + L"\\good.txt"), "good");
  EXPECT_FALSE(Exists(FromAnsi(target) + L"\\bad.bin")) << "a corrupt file must not look installed";
  std::vector<std::wstring> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), L"Failed to extract target file]\n");
}

}  // namespace
