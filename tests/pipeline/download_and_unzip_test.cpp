// The install steps as the installer window sees them, against the local
// storage: the status texts, the download's reports and the flush that puts
// the last report on screen before whatever the task shows next.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/install_pipeline.h"
#include "app/package_choice.h"
#include "app/package_location.h"
#include "pipeline_support.h"
#include "support/scratch_folder.h"

namespace app {
namespace {

using pipeline_test::Host;

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
  std::wstring InstallFolder() override { return {}; }
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
  ASSERT_TRUE(GetNewVersion(L"setup.exe", Host("ORVANE_API_PORT"), Host("ORVANE_DEAD_PORT"),
                            Host("ORVANE_STORAGE_PORT")))
      << "the local API named no version";
  packagePath = PackageFile();

  EXPECT_EQ(InstallResult::Success, DownloadAndUnzipFile(view_, folder_));
  EXPECT_EQ(view_.events, (std::vector<std::wstring>{L"status 下载中...", L"progress", L"flush",
                                                     L"status 解压中..."}));
  ASSERT_FALSE(view_.reports.empty());
  EXPECT_TRUE(std::is_sorted(view_.reports.begin(), view_.reports.end())) << "the progress went back";
  EXPECT_EQ(100.0, view_.reports.back());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((folder_ + L"\\Orvane.exe").c_str()))
      << "the client was not extracted";
}

TEST_F(DownloadAndUnzipTest, AFailedDownloadStillFlushesAndNeverExtracts) {
  // A version the storage has no package for: its 421-byte error answer.
  downloadUrl = L"https://" + Host("ORVANE_STORAGE_PORT") + L"/download/latest/0.0.0/orvanecloud.zip";
  packagePath = PackageFile();
  packageSha256.clear();

  EXPECT_EQ(InstallResult::PackageNotReady, DownloadAndUnzipFile(view_, folder_));
  EXPECT_EQ(view_.events, (std::vector<std::wstring>{L"status 下载中...", L"progress", L"flush"}));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(folder_.c_str())) << "extracted after a failure";
}

}  // namespace
}  // namespace app
