// The resumable download against the real storage (nginx over TLS) and the
// fault-injecting storage of the local service, through WinINet under Wine.
#include "app/install/download/package_download.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/install/common/package_location.h"
#include "base/unique_wininet.h"
#include "support/net_test_support.h"
#include "support/files.h"
#include "support/setup_log_reader.h"

namespace {

using app::InstallResult;
using Lines = std::vector<std::string>;

constexpr uint32_t kPackageSize = 100000;
const std::string kFreeBytes = "4294967296";

std::wstring StorageUrl(const std::string& path) {
  return L"https://" + test_support::ServiceHost("ORVANE_STORAGE_PORT") + base::FromAnsi(path);
}

std::wstring FaultUrl(const std::string& fault, const std::string& path) {
  return L"https://" + test_support::ServiceHost("ORVANE_FAULT_PORT") + L"/" + base::FromAnsi(fault) +
         base::FromAnsi(path);
}

// The download with a fixed free-space answer, so the disk-check lines are
// known, and no pause between failed attempts.
struct DownloadRun {
  InstallResult result;
  std::vector<double> reports;
  std::wstring askedDirectory;
};

app::DownloadOptions WithoutPauses() {
  app::DownloadOptions options;
  options.retryPause = std::chrono::milliseconds(0);
  return options;
}

DownloadRun RunDownload(const app::PackageLocation& package, uint64_t freeBytes, app::DownloadOptions options) {
  DownloadRun run{};
  net_test::RecordingSink sink;
  options.freeSpace = [&run, freeBytes](const std::wstring& directory, uint64_t* free) {
    run.askedDirectory = directory;
    *free = freeBytes;
    return true;
  };
  net_test::RunWithReaper(240, "the download never returned", [&] {
    run.result = app::DownloadPackage(package, sink, options);
  });
  run.reports = sink.reports;
  return run;
}

Lines StartLines(uint32_t existing, uint32_t size) {
  return {"downloadedBytes", std::to_string(existing), "fileSize", std::to_string(size),
          "qwFreeBytesToCaller:", kFreeBytes, "fileSize:", std::to_string(size)};
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Lines Range(uint32_t from) { return {"rangeHeader", "Range: bytes=" + std::to_string(from) + "-"}; }

Lines Finished(uint32_t downloaded, uint32_t size) {
  return {"=========================", "Download finished.", "downloadedBytes",
          std::to_string(downloaded), "fileSize", std::to_string(size)};
}

const Lines kSuccessEnd = {"========================="};

class PackageDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::make_unique<net_test::ScopedWorkDir>(std::string("download_") + info->name());
    original_ = net_test::RandomBytes(kPackageSize, 7);
    // A name of its own per run, so nothing an earlier run left behind (in the
    // storage or in WinINet's cache) can stand in for this run's package.
    storagePath_ = net_test::PutInStorage(
        std::string(info->name()) + "_" + std::to_string(::GetTickCount()) + ".zip", original_);
    package_.packagePath = dir_->File(L"2026_12_07.zip");
    package_.downloadUrl = StorageUrl(storagePath_) + L"?name=2026_12_07";
  }
  void TearDown() override {
    ::DeleteFileW(net_test::StorageFilePath(storagePath_).c_str());
    dir_.reset();
  }

  DownloadRun Download(uint64_t freeBytes = 4294967296ULL, app::DownloadOptions options = WithoutPauses()) const {
    return RunDownload(package_, freeBytes, options);
  }

  std::string Local() const { return test_support::ReadFileBytes(package_.packagePath); }
  void ExpectIdenticalToOriginal() const {
    std::string local = Local();
    EXPECT_EQ(local.size(), original_.size()) << "the local package has the wrong size";
    EXPECT_EQ(net_test::Sha256(local), net_test::Sha256(original_))
        << "the local package differs from the one in the storage";
  }

  std::unique_ptr<net_test::ScopedWorkDir> dir_;
  app::PackageLocation package_;
  std::string original_;
  std::string storagePath_;
};

TEST_F(PackageDownload, FreshDownloadStartsAtZeroAndReportsEveryChunk) {
  DownloadRun run = Download();
  EXPECT_EQ(run.result, InstallResult::Success);
  ExpectIdenticalToOriginal();

  // No old file: nothing to resume, one ranged request from byte 0.
  EXPECT_EQ(dir_->LogLines(), Concat({StartLines(0, kPackageSize), Range(0),
                                      Finished(kPackageSize, kPackageSize), kSuccessEnd}));

  // The disk check is asked about the folder the package is written to.
  EXPECT_EQ(run.askedDirectory, dir_->path() + L"\\");

  // Chunks are at most 1024 bytes and each one is reported, rising to 100.
  ASSERT_GE(run.reports.size(), 98u) << "fewer reports than 1024-byte chunks";
  EXPECT_GT(run.reports.front(), 0.0);
  EXPECT_LE(run.reports.front(), 1.03) << "the first report came after more than one chunk";
  EXPECT_TRUE(std::is_sorted(run.reports.begin(), run.reports.end()));
  EXPECT_DOUBLE_EQ(run.reports.back(), 100.0);
}

// Bytes of the body the storage (nginx) sent for each request of `path`,
// from its access log.
std::vector<unsigned long long> BodyBytesServed(const std::string& path) {
  std::vector<unsigned long long> sent;
  const std::string log = test_support::ReadFileBytes(test_support::ServiceDir() + L"\\nginx\\access.log");
  for (size_t at = log.find(" " + path); at != std::string::npos; at = log.find(" " + path, at + 1)) {
    const size_t quote = log.find("\" ", at);
    unsigned status = 0;
    unsigned long long bytes = 0;
    if (quote != std::string::npos && std::sscanf(log.c_str() + quote + 2, "%u %llu", &status, &bytes) == 2) {
      sent.push_back(bytes);
    }
  }
  return sent;
}

TEST_F(PackageDownload, PackageCrossesTheWireOnce) {
  EXPECT_EQ(Download().result, InstallResult::Success);
  const std::vector<unsigned long long> sent = BodyBytesServed(storagePath_);
  ASSERT_FALSE(sent.empty()) << "the storage's access log names no request of the package";
  unsigned long long total = 0;
  for (unsigned long long bytes : sent) total += bytes;
  EXPECT_EQ(total, kPackageSize) << "over " << sent.size() << " requests";
}

// A storage that answers HEAD with an error or without a length is asked
// the way that needs no HEAD, and the download goes as from any storage.
TEST_F(PackageDownload, StorageWithoutUsefulHeadAnswerStillGivesTheSize) {
  for (const char* fault : {"nohead", "headnolength"}) {
    SCOPED_TRACE(fault);
    ::DeleteFileW(package_.packagePath.c_str());
    test_support::ClearSetupLog(dir_->File(L"setup.log"));
    package_.downloadUrl = FaultUrl(fault, storagePath_);
    EXPECT_EQ(Download().result, InstallResult::Success);
    ExpectIdenticalToOriginal();
    EXPECT_EQ(dir_->LogLines(), Concat({StartLines(0, kPackageSize), Range(0),
                                        Finished(kPackageSize, kPackageSize), kSuccessEnd}));
  }
}

TEST_F(PackageDownload, PartialFileIsResumedFromItsSize) {
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, original_.substr(0, 30000)));

  DownloadRun run = Download();
  EXPECT_EQ(run.result, InstallResult::Success);
  // Appended, not truncated: the old bytes and the new ones form the package.
  ExpectIdenticalToOriginal();

  EXPECT_EQ(dir_->LogLines(), Concat({{"_file.is_open"}, StartLines(30000, kPackageSize), Range(30000),
                                      Finished(kPackageSize, kPackageSize), kSuccessEnd}));
  ASSERT_FALSE(run.reports.empty());
  EXPECT_GE(run.reports.front(), 30.0) << "the first report after a resume left out the resumed share";
  EXPECT_LT(run.reports.front(), 31.1);
}

TEST_F(PackageDownload, CompleteOrOversizedFileIsFetchedAgain) {
  // A finished package of an earlier attempt the same day (here with other
  // bytes) is emptied and fetched again, in a fresh round that is no failure.
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, std::string(kPackageSize, 'x')));
  DownloadRun run = Download();
  EXPECT_EQ(run.result, InstallResult::Success);
  ExpectIdenticalToOriginal();
  EXPECT_EQ(dir_->LogLines(),
            Concat({{"_file.is_open"}, StartLines(kPackageSize, kPackageSize), {"_file.is_open"},
                    StartLines(0, kPackageSize), Range(0), Finished(kPackageSize, kPackageSize),
                    kSuccessEnd}));

  // A file larger than the package is started over the same way.
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, std::string(kPackageSize + 5000, 'y')));
  EXPECT_EQ(Download().result, InstallResult::Success);
  ExpectIdenticalToOriginal();
}

TEST_F(PackageDownload, DroppedConnectionsContinueWithinTheSameAttempt) {
  // Every answer of this storage breaks off after 40 000 body bytes.
  package_.downloadUrl = FaultUrl("drop/40000", storagePath_);
  DownloadRun run = Download();
  EXPECT_EQ(run.result, InstallResult::Success);
  ExpectIdenticalToOriginal();
  EXPECT_EQ(dir_->LogLines(), Concat({StartLines(0, kPackageSize), Range(0), Range(40000), Range(80000),
                                      Finished(kPackageSize, kPackageSize), kSuccessEnd}));
  // The count carries across the broken answers: progress never goes back.
  EXPECT_TRUE(std::is_sorted(run.reports.begin(), run.reports.end()));
  EXPECT_DOUBLE_EQ(run.reports.back(), 100.0);
}

TEST_F(PackageDownload, StorageThatIgnoresRangeIsStartedOverNotAppended) {
  // A resumed file whose rest comes back as the whole package (200, not 206)
  // would otherwise be 130 000 bytes of garbage.
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, original_.substr(0, 30000)));
  package_.downloadUrl = FaultUrl("norange", storagePath_);
  DownloadRun run = Download();
  EXPECT_EQ(run.result, InstallResult::Success);
  ExpectIdenticalToOriginal();
  EXPECT_EQ(dir_->LogLines(),
            Concat({{"_file.is_open"}, StartLines(30000, kPackageSize), Range(30000),
                    {"Range not honoured, starting over."}, Range(0),
                    Finished(kPackageSize, kPackageSize), kSuccessEnd}));
}

TEST_F(PackageDownload, PartialAnswerFromAnotherOffsetIsStartedOverToo) {
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, original_.substr(0, 30000)));
  package_.downloadUrl = FaultUrl("wrongrange", storagePath_);
  EXPECT_EQ(Download().result, InstallResult::Success);
  ExpectIdenticalToOriginal();
  Lines lines = dir_->LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Range not honoured, starting over."), 1);

  // A partial answer that does not say where its bytes start (here: the whole
  // package again) is never appended, also not from the first byte; a storage
  // that keeps answering so ends the download after a few fresh starts.
  test_support::ClearSetupLog(dir_->File(L"setup.log"));
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, original_.substr(0, 30000)));
  package_.downloadUrl = FaultUrl("nocontentrange", storagePath_);
  EXPECT_EQ(Download().result, InstallResult::RangeOpenFailed);
  EXPECT_EQ(Local().size(), 0u) << "bytes of an answer without Content-Range were kept";
  lines = dir_->LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Range not honoured, starting over."), 4);
}

TEST_F(PackageDownload, StorageFallingSilentMidBodyIsAskedForTheRest) {
  // The storage sends 40 KiB, then nothing, holding the connection open:
  // past the receive limit that answer ends, and a new ranged request
  // continues from the count reached within the same attempt.
  app::DownloadOptions options = WithoutPauses();
  options.receiveTimeout = std::chrono::milliseconds(1000);
  package_.downloadUrl = FaultUrl("hush/40960", storagePath_);
  DownloadRun run = Download(4294967296ULL, options);
  EXPECT_EQ(run.result, InstallResult::Success);
  ExpectIdenticalToOriginal();
  EXPECT_EQ(dir_->LogLines(), Concat({StartLines(0, kPackageSize), Range(0), Range(40960),
                                      Finished(kPackageSize, kPackageSize), kSuccessEnd}));
}

TEST_F(PackageDownload, AnswersThatEndWithoutDataAreBounded) {
  // A storage whose every answer ends before its body: the transfer gives up
  // after a few empty answers instead of asking forever.
  package_.downloadUrl = FaultUrl("drop/0", storagePath_);
  DownloadRun run = Download();
  EXPECT_EQ(run.result, InstallResult::RangeOpenFailed);
  Lines expected = StartLines(0, kPackageSize);
  for (int i = 0; i < 5; ++i) expected = Concat({expected, Range(0)});
  expected.push_back("The storage keeps ending its answers without data.");
  EXPECT_EQ(dir_->LogLines(), expected);
  EXPECT_TRUE(run.reports.empty());
}

TEST_F(PackageDownload, StorageErrorAnswersRecognisedBySize) {
  // Content length 0: no size, no retries, no file.
  package_.downloadUrl = FaultUrl("empty", storagePath_);
  EXPECT_EQ(Download().result, InstallResult::NoFileSize);
  EXPECT_TRUE(dir_->LogLines().empty());
  EXPECT_EQ(::GetFileAttributesW(package_.packagePath.c_str()), INVALID_FILE_ATTRIBUTES)
      << "a package file was created without a size";

  // The real storage's answer for a version without a package (421 bytes):
  // completed, reported as not ready, and the answer stays on disk.
  package_.downloadUrl = StorageUrl("/download/latest/0.0.0-none/orvanecloud.zip?name=2026_12_07");
  EXPECT_EQ(Download().result, InstallResult::PackageNotReady);
  EXPECT_EQ(dir_->LogLines(), Concat({StartLines(0, 421), Range(0), Finished(421, 421)}));
  EXPECT_EQ(Local().size(), 421u) << "the not-ready answer was not left on disk";

  // The next attempt truncates that answer, since it is as large as the size.
  package_.downloadUrl = FaultUrl("fixed/421", "/x");
  EXPECT_EQ(Download().result, InstallResult::PackageNotReady);
  EXPECT_EQ(Local().size(), 421u);

  // 409 bytes is the storage refusing the ranged request.
  ::DeleteFileW(package_.packagePath.c_str());
  test_support::ClearSetupLog(dir_->File(L"setup.log"));
  package_.downloadUrl = FaultUrl("fixed/409", "/x");
  EXPECT_EQ(Download().result, InstallResult::RangeOpenFailed);
  EXPECT_EQ(dir_->LogLines(), Concat({StartLines(0, 409), Range(0)}));
}

TEST_F(PackageDownload, UrlThatNeverOpensIsTriedSixtyTimes) {
  package_.downloadUrl = L"https://localhost:" + std::to_wstring(net_test::ClosedPort()) + L"/p.zip";
  DownloadRun run = Download();
  EXPECT_EQ(run.result, InstallResult::OpenUrlFailed);
  EXPECT_EQ(dir_->LogLines(), Lines(60, "Failed to open URL."));
  EXPECT_TRUE(run.reports.empty());
}

TEST_F(PackageDownload, InternetHandleThatNeverOpensIsTriedSixtyTimes) {
  // Failures to open the session and the URL count on one counter; the
  // kind of the sixtieth decides the result.
  int opened = 0;
  app::DownloadOptions options = WithoutPauses();
  options.openSession = [&opened]() -> void* {
    ++opened;
    ::SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return nullptr;
  };
  DownloadRun run = Download(4294967296ULL, options);
  EXPECT_EQ(run.result, InstallResult::InternetOpenFailed);
  EXPECT_EQ(opened, 60);
  EXPECT_EQ(dir_->LogLines(), Lines(60, "Failed to open internet connection."));
  EXPECT_TRUE(run.reports.empty());
  EXPECT_EQ(::GetFileAttributesW(package_.packagePath.c_str()), INVALID_FILE_ATTRIBUTES);

  test_support::ClearSetupLog(dir_->File(L"setup.log"));
  opened = 0;
  options.openSession = [&opened]() -> void* {
    if (++opened < 60) return nullptr;
    return app::OpenDownloadSession();
  };
  package_.downloadUrl = L"https://localhost:" + std::to_wstring(net_test::ClosedPort()) + L"/p.zip";
  EXPECT_EQ(Download(4294967296ULL, options).result, InstallResult::OpenUrlFailed);
  Lines expected(59, "Failed to open internet connection.");
  expected.push_back("Failed to open URL.");
  EXPECT_EQ(dir_->LogLines(), expected);
}

TEST_F(PackageDownload, TooLittleSpaceStopsBeforeAnyTransfer) {
  // One byte short of the package.
  DownloadRun run = Download(kPackageSize - 1);
  EXPECT_EQ(run.result, InstallResult::OutOfDisk);
  EXPECT_EQ(dir_->LogLines(), (Lines{"downloadedBytes", "0", "fileSize", "100000", "qwFreeBytesToCaller:",
                                     "99999", "fileSize:", "100000"}));
  EXPECT_TRUE(run.reports.empty());
  EXPECT_EQ(Local().size(), 0u);
}

TEST_F(PackageDownload, LocalFileProblemsEndTheDownload) {
  // A package path that cannot be created.
  package_.packagePath = dir_->File(L"no-such-folder\\2026_12_07.zip");
  EXPECT_EQ(Download().result, InstallResult::CreateFileFailed);
  EXPECT_TRUE(dir_->LogLines().empty());

  // A volume that refuses every write (Wine maps Z:\dev\full to the device)
  // ends the download with a failure instead of a damaged package.
  package_.packagePath = L"Z:\\dev\\full";
  EXPECT_EQ(Download().result, InstallResult::DownloadException);
  Lines lines = dir_->LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Failed to write file.");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Download finished."), 0)
      << "a download whose writes failed was reported finished";
}

TEST_F(PackageDownload, PackageIsCheckedAgainstTheDigestTheServiceNames) {
  // The digest runs along with the writes, over a resumed file's earlier
  // part too, and starts over with a storage that ignores the range.
  const std::string digest = net_test::Sha256(original_);
  package_.packageSha256 = digest;
  EXPECT_EQ(Download().result, InstallResult::Success);
  ExpectIdenticalToOriginal();
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, original_.substr(0, 30000)));
  EXPECT_EQ(Download().result, InstallResult::Success);
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, original_.substr(0, 30000)));
  package_.downloadUrl = FaultUrl("norange", storagePath_);
  EXPECT_EQ(Download().result, InstallResult::Success);
  ExpectIdenticalToOriginal();

  // A resumed file whose earlier part is not the package's: refused and
  // deleted, with both digests logged; the next attempt fetches it whole.
  test_support::ClearSetupLog(dir_->File(L"setup.log"));
  ASSERT_TRUE(test_support::WriteFileBytes(package_.packagePath, std::string(30000, 'x')));
  package_.downloadUrl = StorageUrl(storagePath_);
  EXPECT_EQ(Download().result, InstallResult::PackageCorrupt);
  EXPECT_EQ(::GetFileAttributesW(package_.packagePath.c_str()), INVALID_FILE_ATTRIBUTES)
      << "a package that does not match its digest was kept";
  std::string damaged = std::string(30000, 'x') + original_.substr(30000);
  EXPECT_EQ(dir_->LogLines(),
            Concat({{"_file.is_open"}, StartLines(30000, kPackageSize), Range(30000),
                    Finished(kPackageSize, kPackageSize),
                    {"Package SHA-256 mismatch, expected:", digest, "downloaded:", net_test::Sha256(damaged)}}));
  EXPECT_EQ(Download().result, InstallResult::Success);
  ExpectIdenticalToOriginal();

  // A digest that names another package refuses even a clean download.
  package_.packageSha256 = std::string(64, '0');
  EXPECT_EQ(Download().result, InstallResult::PackageCorrupt);
}

class ThrowingSink : public app::ProgressSink {
 public:
  void Report(double) override { throw std::runtime_error("presentation failed"); }
};

TEST_F(PackageDownload, UnexpectedFailureBecomesAResultAndKeepsTheFile) {
  // Whatever escapes the transfer ends it with a result, never an exception,
  // and what was written so far stays for the next attempt to resume.
  ThrowingSink sink;
  app::DownloadOptions options;
  options.retryPause = std::chrono::milliseconds(0);
  InstallResult result = InstallResult::Success;
  net_test::RunWithReaper(60, "the download never returned", [&] {
    result = app::DownloadPackage(package_, sink, options);
  });
  EXPECT_EQ(result, InstallResult::DownloadException);
  EXPECT_EQ(Local(), original_.substr(0, 1024)) << "the first chunk was not kept";
}

// Whether `folder` or a folder below it holds a cache copy of "<stem>.zip":
// the cache names its copies "<stem>[1].zip".
bool CacheHolds(const std::wstring& folder, const std::wstring& stem) {
  for (const std::wstring& name : test_support::FolderNames(folder)) {
    const std::wstring path = folder + L"\\" + name;
    if (test_support::IsFolder(path) ? CacheHolds(path, stem) : name.rfind(stem + L"[", 0) == 0) return true;
  }
  return false;
}

// Reads `url` to its end through WinINet with the cache allowed, as any
// request without NO_CACHE_WRITE is.
void FetchAllowingTheCache(const std::wstring& url) {
  base::unique_hinternet internet(::InternetOpenW(L"OrvaneCacheControl", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  ASSERT_TRUE(internet.is_valid()) << "InternetOpenW failed: " << ::GetLastError();
  base::unique_hinternet request(::InternetOpenUrlW(internet.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
  ASSERT_TRUE(request.is_valid()) << "InternetOpenUrlW failed: " << ::GetLastError();
  char buffer[4096];
  DWORD read = 0;
  while (::InternetReadFile(request.get(), buffer, sizeof buffer, &read) && read > 0) {
  }
}

TEST_F(PackageDownload, PackageIsNotCopiedIntoTheInternetCache) {
  EXPECT_EQ(Download().result, InstallResult::Success);

  // A control in the same run: a file fetched with the cache allowed lands in
  // the folder searched below, so a cache that moved (or a search that finds
  // nothing) fails here instead of passing unseen.
  std::string controlPath = net_test::PutInStorage("cache_control_" + std::to_string(::GetTickCount()) + ".zip",
                                                   net_test::RandomBytes(kPackageSize, 11));
  FetchAllowingTheCache(StorageUrl(controlPath));
  ::DeleteFileW(net_test::StorageFilePath(controlPath).c_str());

  wchar_t profile[MAX_PATH];
  ASSERT_GT(::GetEnvironmentVariableW(L"LOCALAPPDATA", profile, MAX_PATH), 0u);
  std::wstring cache = std::wstring(profile) + L"\\Microsoft\\Windows\\INetCache";
  // "/t/<stem>.zip" -> "<stem>".
  auto stem = [](const std::string& path) { return base::FromAnsi(path.substr(3, path.size() - 3 - 4)); };
  ASSERT_TRUE(CacheHolds(cache, stem(controlPath)))
      << "a download allowed to cache left no copy in " << base::ToAnsi(cache);
  EXPECT_FALSE(CacheHolds(cache, stem(storagePath_)))
      << "WinINet kept a second copy of the package in its cache";
}

}  // namespace
