// The install task's way out when one of its steps breaks (out of memory in
// the extraction, the ANSI conversion or the registration): the user gets
// the download-failure prompt with its retry, and the worker leaves COM as
// it found it.
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "app/install/install_pipeline.h"
#include "app/shell/threads/thread_ids.h"
#include "base/com_ptr.h"
#include "base/thread_registry.h"
#include "shell/support/installer_test_support.h"

namespace {

using installer_test::PumpUntil;
using installer_test::RunOnUiThread;

// An installer window whose install folder cannot even be copied: the task
// breaks at its start with the exception a failed allocation throws.
class BreakingView : public app::InstallView {
 public:
  void SetStatusText(std::wstring) override {}
  void SetProgress(double) override {}
  void FlushProgress() override {}
  std::wstring InstallFolder() const override { throw std::bad_alloc(); }
  void PostToView(std::function<void()> task) override {
    base::ThreadRegistry::PostTask(app::kUiThreadId, std::move(task));
  }
  void ShowFinishedView() override { ++finished_views; }
  void ShowStartView() override { ++start_views; }
  void ExitInstaller() override { ++exits; }
  void PresentPrompt(const std::wstring& text, std::function<void(bool retry)> answer) override {
    prompts.push_back(text);
    this->answer = std::move(answer);
  }

  // UI thread only.
  std::vector<std::wstring> prompts;
  std::function<void(bool)> answer;
  int finished_views = 0, start_views = 0, exits = 0;
};

TEST(InstallTask, ABreakingStepEndsInTheDownloadFailurePromptAndReleasesCom) {
  RunOnUiThread([] {
    BreakingView view;
    std::atomic<HRESULT> com_after{E_FAIL};
    std::thread worker([&] {
      app::KnownPackage package;
      app::RunInstallTask(&view, package);
      // S_OK: COM was no longer initialised on this thread; S_FALSE: the
      // task left it behind.
      base::unique_couninitialize probe;
      com_after = probe.result();
    });
    worker.join();
    EXPECT_EQ(S_OK, com_after.load()) << "the install task left COM initialised on its thread";
    ASSERT_TRUE(PumpUntil([&] { return !view.prompts.empty(); }))
        << "a breaking install task showed no prompt";
    EXPECT_EQ(std::vector<std::wstring>{L"下载失败，请重试"}, view.prompts);
    EXPECT_EQ(0, view.finished_views);

    // Its retry goes back to the start view, as a failed download's does.
    ASSERT_TRUE(view.answer);
    view.answer(true);
    EXPECT_EQ(1, view.start_views);
    EXPECT_EQ(0, view.exits);
  });
}

}  // namespace
