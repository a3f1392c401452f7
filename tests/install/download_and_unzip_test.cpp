// The install steps as the installer window sees them, against the local
// storage: the status texts, the download's reports and the flush that puts
// the last report on screen before whatever the task shows next.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/install/install_pipeline.h"
#include "app/install/version/package_choice.h"
#include "app/install/common/package_location.h"
#include "base/unique_any.h"
#include "install/support/pipeline_support.h"
#include "support/scratch_folder.h"

namespace app {
namespace {

using pipeline_test::Host;

// A version the storage has no package for: its 421-byte error answer.
std::wstring NotReadyUrl() {
  return L"https://" + Host("ORVANE_STORAGE_PORT") + L"/download/latest/0.0.0/orvanecloud.zip";
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Records what the steps ask of the window; they call it on this thread.
// Consecutive reports are one "progress" event, their values kept apart.
class RecordingView : public InstallView {
 public:
  void SetStatusText(std::wstring text) override { events.push_back(L"status " + text); }
  void SetProgress(double percent) override {
    if (events.empty() || events.back() != L"progress") events.push_back(L"progress");
    reports.push_back(percent);
  }
  void FlushProgress() override { events.push_back(L"flush"); }
  std::wstring InstallFolder() const override { return {}; }
  void PostToView(std::function<void()> task) override { task(); }
  void ShowFinishedView() override {}
  void ShowStartView() override {}
  void ExitInstaller() override {}
  void PresentPrompt(const std::wstring&, std::function<void(bool)>) override {}

  std::vector<std::wstring> events;
  std::vector<double> reports;
};

class DownloadAndUnzipTest : public testing::Test {
 protected:
  std::wstring PackageFile() const { return scratch_ / L"package.zip"; }

  const test_support::ScratchFolder scratch_;
  const std::wstring folder_ = scratch_ / L"client";
  RecordingView view_;
};

TEST_F(DownloadAndUnzipTest, EachStatusFollowsTheLastReportOfTheStepBefore) {
  std::optional<PackageLocation> package =
      GetNewVersion(L"setup.exe", Host("ORVANE_API_PORT"), Host("ORVANE_DEAD_PORT"), Host("ORVANE_STORAGE_PORT"));
  ASSERT_TRUE(package) << "the local API named no version";
  package->packagePath = PackageFile();

  EXPECT_EQ(InstallResult::Success, DownloadAndUnzipFile(view_, *package, folder_));
  EXPECT_EQ(view_.events, (std::vector<std::wstring>{L"status 下载中...", L"progress", L"flush",
                                                     L"status 解压中..."}));
  ASSERT_FALSE(view_.reports.empty());
  EXPECT_TRUE(std::is_sorted(view_.reports.begin(), view_.reports.end())) << "the progress went back";
  EXPECT_EQ(100.0, view_.reports.back());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((folder_ + L"\\Orvane.exe").c_str()))
      << "the client was not extracted";
}

TEST_F(DownloadAndUnzipTest, AFailedDownloadStillFlushesAndNeverExtracts) {
  PackageLocation package;
  package.downloadUrl = NotReadyUrl();
  package.packagePath = PackageFile();

  EXPECT_EQ(InstallResult::PackageNotReady, DownloadAndUnzipFile(view_, package, folder_));
  EXPECT_EQ(view_.events, (std::vector<std::wstring>{L"status 下载中...", L"progress", L"flush"}));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(folder_.c_str())) << "extracted after a failure";
}

TEST_F(DownloadAndUnzipTest, AVerifiedPackageIsReusedAndKeptWhileTheInstallFolderFails) {
  // The service names the stored package's digest (its own hashing); the
  // temporary folder holds that package already.
  std::optional<PackageLocation> package =
      GetNewVersion(L"setup.exe", Host("ORVANE_API_PORT"), Host("ORVANE_DEAD_PORT"), Host("ORVANE_STORAGE_PORT"));
  ASSERT_TRUE(package);
  ASSERT_FALSE(package->packageSha256.empty()) << "the local API named no digest";
  package->packagePath = PackageFile();
  ASSERT_TRUE(::CopyFileW(pipeline_test::StoredPackage().c_str(), package->packagePath.c_str(), FALSE));
  // A download now would bring the storage's 421-byte answer, no package.
  package->downloadUrl = NotReadyUrl();

  // The install folder's parent is missing: not the package's fault.
  EXPECT_EQ(InstallResult::UnzipFailed, DownloadAndUnzipFile(view_, *package, scratch_ / L"no\\such\\client"));
  EXPECT_TRUE(Exists(package->packagePath)) << "the package went for a failure of the install folder";

  view_.events.clear();
  EXPECT_EQ(InstallResult::Success, DownloadAndUnzipFile(view_, *package, folder_))
      << "the package was downloaded again";
  EXPECT_EQ(view_.events, (std::vector<std::wstring>{L"status 下载中...", L"progress", L"status 解压中..."}));
  EXPECT_EQ(100.0, view_.reports.back());
  EXPECT_TRUE(Exists(folder_ + L"\\Orvane.exe")) << "the client was not extracted";
}

TEST_F(DownloadAndUnzipTest, APackageThatDoesNotUnzipIsDeleted) {
  // A file that matches the digest named for it, yet is no zip archive.
  PackageLocation package;
  package.packagePath = PackageFile();
  const char text[] = "this is no zip archive\n";
  base::unique_hfile file(
      ::CreateFileW(package.packagePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(file.get(), text, sizeof text - 1, &written, nullptr));
  file.reset();
  package.packageSha256 = "c46de6642f3333c137e6e090dae3af3f015d9840c5fadf27e604c4f0c1f953a9";
  package.downloadUrl = NotReadyUrl();

  EXPECT_EQ(InstallResult::UnzipFailed, DownloadAndUnzipFile(view_, package, folder_));
  EXPECT_FALSE(Exists(package.packagePath)) << "a package that does not unzip was kept";
  EXPECT_FALSE(Exists(folder_));
}

}  // namespace
}  // namespace app
