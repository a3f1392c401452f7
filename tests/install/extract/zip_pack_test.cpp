#include "app/install/extract/zip_pack.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "app/install/extract/install_rollback.h"
#include "base/unique_any.h"
#include "install/support/install_test_support.h"
#include "support/child_role.h"
#include "support/setup_log_reader.h"

namespace {

using install_test::Exists;
using install_test::FolderNames;
using install_test::IsFolder;
using install_test::ReadFileBytes;
using install_test::RunOnHost;
using install_test::ScratchFolder;
using install_test::ToAnsi;
using install_test::TreeOf;
using install_test::UnixPath;
using app::UnzipResult;

constexpr wchar_t kCreateFolder[] = L"Create target folder\xFF1A";
constexpr wchar_t kFolderExists[] = L"The target folder already exists";
constexpr wchar_t kCannotCreateFile[] = L"Unable to create target file]\n";
constexpr wchar_t kCannotCreateFolder[] = L"Failed to create target folder";

size_t Count(const std::vector<std::wstring>& messages, const std::wstring& text) {
  return static_cast<size_t>(std::count(messages.begin(), messages.end(), text));
}

std::string Name(UnzipResult result) {
  switch (result) {
    case UnzipResult::Extracted: return "Extracted";
    case UnzipResult::PackageFault: return "PackageFault";
    case UnzipResult::InstallFault: return "InstallFault";
    case UnzipResult::OutOfDisk: return "OutOfDisk";
  }
  return "?";
}

}  // namespace

namespace app {
// gtest prints results by name.
void PrintTo(UnzipResult result, std::ostream* out) { *out << Name(result); }
}  // namespace app

namespace {

// The archives are written once per run by the host's tools: the test
// package by tests/packages/make-test-package (zip), one client tree packed by zip,
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
        RunOnHost("/usr/bin/python3 '" + source + "/tests/packages/archives.py' build '" + dir + "' && '" + source +
                  "/tests/packages/make-test-package' --client '" + client + "' --bulk-mib 3 '" + dir + "/package.zip' && '" +
                  source + "/tests/packages/make-tool-packages' '" + dir + "/tools'"));
  }
  static void TearDownTestSuite() {
    archives_.reset();
    ready_.reset();
  }
  void SetUp() override {
    WorkingFolderTest::SetUp();
    ASSERT_TRUE(*ready_);
  }

  static std::wstring Archive(const wchar_t* name) { return *archives_ / name; }
  std::wstring Target() const { return temp_ / L"Soft"; }

  // Compares the extracted folder with the tree the zip tools packed, names
  // included (Wine keeps names as UTF-8 on the host).
  static testing::AssertionResult SameAsToolTree(const std::wstring& folder) {
    return RunOnHost("diff -r '" + UnixPath(*archives_ / L"tools\\tree") + "' '" + UnixPath(folder) + "'");
  }

  // Compares the extracted folder with Python's reading of the archive.
  static testing::AssertionResult SameAsArchive(const std::wstring& archive, const std::wstring& folder) {
    std::string source = UnixPath(install_test::SourceFolder());
    return RunOnHost("/usr/bin/python3 '" + source + "/tests/packages/archives.py' verify '" + UnixPath(archive) +
                     "' '" + UnixPath(folder) + "'");
  }

  static std::unique_ptr<ScratchFolder> archives_;
  static std::unique_ptr<testing::AssertionResult> ready_;
};

std::unique_ptr<ScratchFolder> ZipPackTest::archives_;
std::unique_ptr<testing::AssertionResult> ZipPackTest::ready_;

TEST_F(ZipPackTest, FolderEntryThenFileLogsEachStepAndJoinsWithBackslash) {
  // app/ and app/client.exe: the room the entries need is weighed, the
  // target, then app/, are created; names keep their "/" after the joining
  // backslash.
  std::wstring package = Archive(L"app_client.zip");
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(package, target));

  std::vector<std::wstring> log = Log();
  ASSERT_GE(log.size(), 4u);
  std::vector<std::wstring> expected = {
      L"ZipPack::UnzipFile:", package, L"qwFreeBytesToCaller:", log[3], L"fileSize:", L"10000",
      kCreateFolder, target, L"\nUnzipFile targetFolder:", target, L"[", L"app/", kCreateFolder, target + L"\\app/",
      L"[", L"app/client.exe",
  };
  EXPECT_EQ(log, expected);
  EXPECT_EQ(ReadFileBytes(target + L"\\app/client.exe").size(), 10000u);
  EXPECT_EQ(FolderNames(target), std::vector<std::wstring>{L"app"}) << "the install left its journal behind";
}

TEST_F(ZipPackTest, FoldersNotListedInTheArchiveAreCreatedLevelByLevel) {
  // Only app/bin/client.exe is listed: app and app/bin are created first,
  // each logged like a folder entry.
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(Archive(L"no_folder_entry.zip"), target));
  std::vector<std::wstring> log = Log();
  std::vector<std::wstring> expected = {L"[",           L"app/bin/client.exe", kCreateFolder,
                                        target + L"\\app", kCreateFolder,      target + L"\\app/bin"};
  ASSERT_GE(log.size(), expected.size());
  EXPECT_EQ(std::vector<std::wstring>(log.end() - 6, log.end()), expected);
  EXPECT_EQ(ReadFileBytes(target + L"\\app\\bin\\client.exe").size(), 10000u);
}

TEST_F(ZipPackTest, PackagesOfCommonZipToolsExtractCompletelyUnderTheirNames) {
  // One client tree packed four ways: with and without folder entries, names
  // in code page 936 or flagged UTF-8, entries with data descriptors.
  for (const wchar_t* package : {L"info-zip.zip", L"info-zip-D.zip", L"python-stream.zip", L"7zip.zip"}) {
    SCOPED_TRACE(ToAnsi(package));
    test_support::ClearSetupLog();
    std::wstring target = temp_ / (std::wstring(L"Soft-") + package);
    ASSERT_EQ(UnzipResult::Extracted,
              app::ZipPack::UnzipFile(Archive((std::wstring(L"tools\\") + package).c_str()), target));
    EXPECT_TRUE(SameAsToolTree(target));
    EXPECT_EQ(Count(Log(), kCannotCreateFile), 0u);
  }
}

TEST_F(ZipPackTest, UnicodePathFieldNamesTheEntryOnlyWhenItMatchesTheStoredName) {
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(Archive(L"unicode_path.zip"), target));
  // 统一\名字.txt
  EXPECT_EQ(ReadFileBytes(target + L"\\\x7EDF\x4E00\\\x540D\x5B57.txt"), "unicode");
  EXPECT_EQ(ReadFileBytes(target + L"\\stale.txt"), "stale") << "a stale field must not rename the entry";
  EXPECT_EQ(FolderNames(target), (std::vector<std::wstring>{L"stale.txt", L"\x7EDF\x4E00"}));
}

TEST_F(ZipPackTest, FoldersNamedOutsideTheAnsiCodePageWorkAndTheLogKeepsWholeRecords) {
  // An emoji and Hangul in the package's folder and in the target: neither
  // is in code page 936.
  std::wstring folder = temp_ / L"\U0001F600 \xD55C\xAE00";
  std::wstring package = folder + L"\\\xD328\xD0A4\xC9C0.zip";
  std::wstring target = folder + L"\\\U0001F600 \xD55C\xAE00 \x5BA2\x6237\x7AEF";
  test_support::CreateFolders(folder);
  ASSERT_TRUE(::CopyFileW(Archive(L"app_client.zip").c_str(), package.c_str(), FALSE));
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(package, target));
  EXPECT_EQ(ReadFileBytes(target + L"\\app\\client.exe").size(), 10000u);
  EXPECT_EQ(FolderNames(folder), (std::vector<std::wstring>{L"\xD328\xD0A4\xC9C0.zip",
                                                             L"\U0001F600 \xD55C\xAE00 \x5BA2\x6237\x7AEF"}));

  // What the log's code page lacks is replaced; the records are whole
  // (the target's line still ends in 客户端).
  std::vector<std::wstring> log = Log();
  auto line = std::find(log.begin(), log.end(), L"\nUnzipFile targetFolder:");
  ASSERT_NE(line, log.end());
  ASSERT_NE(++line, log.end());
  EXPECT_GT(line->size(), 3u);
  EXPECT_EQ(line->substr(line->size() - 3), L"\x5BA2\x6237\x7AEF") << "the target's log record was cut short";
  EXPECT_EQ(line->find(L"\xD55C"), std::wstring::npos) << "Hangul reached the code-page-936 log";
}

TEST_F(ZipPackTest, EmptyArchiveOnlyCreatesTheTargetFolder) {
  std::wstring target = Target();
  EXPECT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(Archive(L"empty.zip"), target));
  EXPECT_TRUE(IsFolder(target));
  EXPECT_TRUE(FolderNames(target).empty());
  std::vector<std::wstring> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), target) << "nothing is logged after the target folder line";
}

TEST_F(ZipPackTest, WhatIsNotAnArchiveIsThePackagesFaultAndCreatesNothing) {
  // A downloaded error page, and a package that is not there at all: neither
  // has a zip directory, so neither opens as an archive.
  size_t failures = 0;
  for (std::wstring package : {Archive(L"not_a_zip.zip"), temp_ / L"missing.zip"}) {
    SCOPED_TRACE(ToAnsi(package));
    std::wstring target = Target();
    EXPECT_EQ(UnzipResult::PackageFault, app::ZipPack::UnzipFile(package, target));
    EXPECT_FALSE(Exists(target));
    std::vector<std::wstring> log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), L"fail to open the file");
    EXPECT_EQ(Count(log, L"fail to open the file"), ++failures);
  }
  EXPECT_EQ(Count(Log(), L"Global information error"), 0u);
  EXPECT_EQ(Count(Log(), kCreateFolder), 0u) << "a folder was made for what is not an archive";
}

TEST_F(ZipPackTest, MissingParentOfTheTargetIsTheInstallsFault) {
  std::wstring target = temp_ / L"no\\such\\Soft";
  EXPECT_EQ(UnzipResult::InstallFault, app::ZipPack::UnzipFile(Archive(L"app_client.zip"), target));
  std::vector<std::wstring> log = Log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], kCreateFolder);
  EXPECT_EQ(log.back(), kCannotCreateFolder);
}

TEST_F(ZipPackTest, PackageIsExtractedByteForByte) {
  // The test package: the client, nested folders, a zero-length file, names
  // in code page 936 and entries larger than the extraction's buffer.
  std::wstring package = Archive(L"package.zip");
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(package, target));
  EXPECT_TRUE(SameAsArchive(package, target));

  EXPECT_TRUE(Exists(target + L"\\data\\empty.dat"));
  EXPECT_EQ(ReadFileBytes(target + L"\\data\\empty.dat").size(), 0u);
  // 文档\说明.txt
  EXPECT_EQ(ReadFileBytes(target + L"\\\x6587\x6863\\\x8BF4\x660E.txt"), "Orvane\r\n");
  EXPECT_EQ(Count(Log(), kCannotCreateFile), 0u);
}

TEST_F(ZipPackTest, SecondExtractionReusesFoldersAndReplacesFiles) {
  std::wstring package = Archive(L"package.zip");
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(package, target));
  std::wstring client = target + L"\\Orvane.exe";
  install_test::WriteFileBytes(client, "changed since the first extraction");
  ::DeleteFileW((target + L"\\data\\empty.dat").c_str());
  install_test::WriteFileBytes(target + L"\\user-settings.ini", "kept");
  test_support::ClearSetupLog();

  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(package, target));
  EXPECT_TRUE(SameAsArchive(package, target));
  EXPECT_EQ(ReadFileBytes(target + L"\\user-settings.ini"), "kept") << "a file the package does not hold changed";
  // The target and the six folder entries: resources/, resources/skin/,
  // resources/skin/images/, data/, data/bulk/ and 文档/.
  std::vector<std::wstring> log = Log();
  EXPECT_EQ(Count(log, kFolderExists), 7u);
  EXPECT_EQ(Count(log, kCreateFolder), 7u);
  // Nothing of the replaced files is left behind.
  std::vector<std::wstring> names = FolderNames(target);
  EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::wstring& n) { return n[0] == L'.'; }), 0)
      << "the replaced files' backups stayed";
}

TEST_F(ZipPackTest, AFailedUpdateLeavesTheFolderAsItWas) {
  // The update adds files and a folder, replaces the client, then its last
  // entry fails its CRC: the package is at fault, and the first install is
  // there again, byte for byte, with nothing added.
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(Archive(L"app_client.zip"), target));
  auto installed = TreeOf(target);
  EXPECT_EQ(UnzipResult::PackageFault, app::ZipPack::UnzipFile(Archive(L"update_fails_last.zip"), target));
  EXPECT_EQ(TreeOf(target), installed);

  // A fresh folder the failed install made goes again.
  std::wstring fresh = temp_ / L"Fresh";
  EXPECT_EQ(UnzipResult::PackageFault, app::ZipPack::UnzipFile(Archive(L"crc.zip"), fresh));
  EXPECT_FALSE(Exists(fresh)) << "the failed install left its folder";

  // A file another program holds open (no sharing) cannot be moved aside:
  // the install folder is at fault, and what came before the file is undone.
  std::wstring client = target + L"\\app\\client.exe";
  {
    base::unique_hfile held(::CreateFileW(client.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(UnzipResult::InstallFault, app::ZipPack::UnzipFile(Archive(L"update_fails_last.zip"), target));
    EXPECT_EQ(Count(Log(), kCannotCreateFile), 1u);
  }
  EXPECT_EQ(TreeOf(target), installed);
}

TEST_F(ZipPackTest, ANameWrittenBeforeInAFolderTheInstallMadeIsMovedAsideWhenSpelledAgain) {
  // Nothing but its own files can be in a folder the install made, yet a
  // name it wrote, given again in other letter case or with a dot at its
  // end, is that file: it is moved aside before the new write, and the
  // roll-back leaves no trace.
  std::wstring target = Target();
  ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
  {
    app::InstallRollback rollback(target);
    ASSERT_TRUE(rollback.Start(true));
    ASSERT_TRUE(rollback.WillCreateFolder(L"app/"));
    ASSERT_TRUE(::CreateDirectoryW((target + L"\\app").c_str(), nullptr));
    for (const wchar_t* name : {L"app/client.exe", L"app/CLIENT.exe", L"app/client.exe."}) {
      SCOPED_TRACE(ToAnsi(name));
      ASSERT_TRUE(rollback.WillWriteFile(name));
      EXPECT_FALSE(Exists(target + L"\\app\\client.exe")) << "the file written before was not moved aside";
      ASSERT_TRUE(install_test::WriteFileBytes(target + L"\\" + name, "x"));
    }
    EXPECT_TRUE(rollback.RollBack());
  }
  EXPECT_FALSE(Exists(target)) << "the roll-back left the folder the install made";
}

// The child role that installs like an extraction and is ended half-way,
// as a crash or an ended process leaves the install folder.
int InstallHalfWayAndDie() {
  wchar_t folder[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"ORVANE_TEST_INSTALL_FOLDER", folder, MAX_PATH)) return 3;
  app::InstallRollback rollback(folder);
  if (!rollback.RecoverEarlierInstall() || !rollback.Start(false)) return 4;
  if (!rollback.WillWriteFile(L"app/client.exe") ||
      !install_test::WriteFileBytes(std::wstring(folder) + L"\\app/client.exe", "half")) {
    return 5;
  }
  if (!rollback.WillCreateFolder(L"added/") || !::CreateDirectoryW((std::wstring(folder) + L"\\added/").c_str(), nullptr)) {
    return 6;
  }
  ::TerminateProcess(::GetCurrentProcess(), 0);
  return 7;
}
const bool kInstallHalfWayRole = test_support::RegisterChildRole(L"install-half-way", InstallHalfWayAndDie);

TEST_F(ZipPackTest, AnInstallEndedHalfWayIsRolledBackByTheNext) {
  // The next install first undoes the one that never finished; then its own
  // failure brings back the folder as it was before both.
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(Archive(L"app_client.zip"), target));
  auto installed = TreeOf(target);
  ::SetEnvironmentVariableW(L"ORVANE_TEST_INSTALL_FOLDER", target.c_str());
  base::unique_handle child(test_support::StartChildRole(L"install-half-way"));
  ::SetEnvironmentVariableW(L"ORVANE_TEST_INSTALL_FOLDER", nullptr);
  ASSERT_TRUE(child);
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(child.get(), 60000));
  DWORD code = 1;
  ::GetExitCodeProcess(child.get(), &code);
  ASSERT_EQ(0u, code) << "the half-way install failed before it was ended";
  ASSERT_EQ(ReadFileBytes(target + L"\\app\\client.exe"), "half");

  EXPECT_EQ(UnzipResult::PackageFault, app::ZipPack::UnzipFile(Archive(L"update_fails_last.zip"), target));
  EXPECT_EQ(TreeOf(target), installed);
  EXPECT_EQ(Count(Log(), L"An unfinished earlier install is rolled back"), 1u);
}

TEST_F(ZipPackTest, EntriesThatCannotBeWrittenAreTheInstallsFault) {
  // A file where the archive's folder goes: the folder entry fails.
  std::wstring blocked = temp_ / L"Blocked";
  ASSERT_TRUE(::CreateDirectoryW(blocked.c_str(), nullptr));
  install_test::WriteFileBytes(blocked + L"\\app", "a file, not a folder");
  EXPECT_EQ(UnzipResult::InstallFault, app::ZipPack::UnzipFile(Archive(L"app_client.zip"), blocked));
  EXPECT_EQ(Count(Log(), kCannotCreateFolder), 1u);
  EXPECT_EQ(FolderNames(blocked), std::vector<std::wstring>{L"app"});
  EXPECT_EQ(ReadFileBytes(blocked + L"\\app"), "a file, not a folder");
}

TEST_F(ZipPackTest, EntriesLeadingOutOfTheTargetAreSkipped) {
  // Climbing, absolute, drive, stream and device names are refused like
  // entries that cannot be created, also when they come as UTF-8 (flagged,
  // in a Unicode Path field, or in an overlong form that is not valid
  // UTF-8), and so are names of the installer's own roll-back folder; the
  // safe entry after them is still written.
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(Archive(L"escape.zip"), target));

  EXPECT_EQ(FolderNames(temp_.path()), (std::vector<std::wstring>{L"Soft", L"setup.log"}))
      << "nothing may land beside the target folder";
  EXPECT_EQ(FolderNames(target), std::vector<std::wstring>{L"inside"});
  EXPECT_EQ(FolderNames(target + L"\\inside"), std::vector<std::wstring>{L"kept.txt"});
  EXPECT_EQ(ReadFileBytes(target + L"\\inside\\kept.txt"), "kept");
  EXPECT_FALSE(Exists(L"C:\\orvane-escaped-drive.txt"));
  EXPECT_FALSE(Exists(L"C:\\escaped-folder"));

  std::vector<std::wstring> log = Log();
  EXPECT_EQ(Count(log, kCannotCreateFile), 16u);
  EXPECT_EQ(Count(log, kCannotCreateFolder), 1u);
}

TEST_F(ZipPackTest, NamesTooLongForTheBuffersAreRejectedWithoutOverrun) {
  // A 600-byte file name, a 520-byte folder name and a 505-byte name that
  // only overflows once joined to the target folder.
  std::wstring target = Target();
  ASSERT_EQ(UnzipResult::Extracted, app::ZipPack::UnzipFile(Archive(L"long_names.zip"), target));
  EXPECT_EQ(ReadFileBytes(target + L"\\after.txt"), "after");
  EXPECT_EQ(FolderNames(target), std::vector<std::wstring>{L"after.txt"});

  // A name cut short by the buffer has lost its final "/", so the folder is
  // refused as an entry that cannot be created, too.
  std::vector<std::wstring> log = Log();
  EXPECT_EQ(Count(log, kCannotCreateFile), 3u);
  // The log shows as much of an oversized name as the buffer holds.
  EXPECT_EQ(Count(log, std::wstring(511, L'n')), 1u);
}

TEST_F(ZipPackTest, CorruptEntryIsThePackagesFaultAndLeavesNoFile) {
  // The second entry's data no longer matches its CRC: the extraction fails
  // (the installer then offers a retry) instead of reporting success.
  std::wstring target = Target();
  EXPECT_EQ(UnzipResult::PackageFault, app::ZipPack::UnzipFile(Archive(L"crc.zip"), target));
  EXPECT_FALSE(Exists(target + L"\\bad.bin")) << "a corrupt file must not look installed";
  EXPECT_EQ(Count(Log(), L"Failed to extract target file]\n"), 1u);
}

}  // namespace
