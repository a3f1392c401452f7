// The installer window's own choices on a real window with real clicks: the
// custom-options area, the folder choice and its root rule, the close
// confirmation and its answers, what the finished view's button starts, and
// the install task's status and progress arriving from another thread.
// The folder picker, the client launch and the process end are the test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "app/install/common/product_folder.h"
#include "app/install/install_view.h"
#include "app/install/register/registration_in_progress.h"
#include "app/shell/window/basic_form.h"
#include "app/shell/window/installer_window.h"
#include "shell/support/installer_test_support.h"
#include "support/scratch_folder.h"
#include "support/setup_log_reader.h"
#include "ui/controls/box.h"
#include "ui/widgets/check_box.h"
#include "ui/widgets/label.h"
#include "ui/widgets/rich_edit.h"

namespace {

using installer_test::ClickControl;
using installer_test::PumpUntil;
using installer_test::PumpUntilPainted;
using installer_test::RunOnUiThread;

// The installer window's names and the margins the code changes; plain
// colours stand in for the images.
constexpr char kBasicSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="700,460" caption="0,0,0,60" shadowattached="false">
  <VBox bkcolor="white">
    <HBox height="60">
      <Label name="logo_row_icon" width="100" height="30" bkcolor="green" visible="false"/>
      <Control/>
      <Button name="close_btn" width="30" height="30" bkcolor="grey" margin="0,10,10,0"/>
    </HBox>
    <VBox name="begin_state">
      <Label name="logo_column_icon" width="100" height="40" bkcolor="green" margin="0,107,0,0" halign="center"/>
      <Button name="install_btn" text="立即安装" width="160" height="40" bkcolor="green" margin="0,50,0,0" halign="center"/>
      <Box name="to_change_area" width="120" height="24" margin="0,10,0,0" halign="center">
        <Button name="show_change_btn" text="自定义选项" width="90" height="24" halign="left"/>
        <Button name="show_change_icon" width="24" height="24" bkcolor="grey" halign="right"/>
      </Box>
      <Box name="change_area" width="370" height="70" margin="0,10,0,0" halign="center" visible="false">
        <ButtonBox name="select_btn" width="370" height="30" bkcolor="grey" valign="top">
          <Label name="dir_label" text="C:\Program Files\orvanecloud" width="320" mouse="false"/>
        </ButtonBox>
        <Box width="120" height="24" halign="center" valign="bottom">
          <Button name="hidden_change_btn" text="自定义选项" width="90" height="24" halign="left"/>
          <Button name="hidden_change_icon" width="24" height="24" bkcolor="grey" halign="right"/>
        </Box>
      </Box>
    </VBox>
    <VBox name="installing_state" visible="false">
      <Label name="status_label" text="下载中..." width="200" height="24"/>
      <Label name="progress_value" text="0%" width="50" height="24"/>
      <Control name="progress_progress_line" width="10" height="10" bkcolor="green"/>
    </VBox>
    <VBox name="finally_state" visible="false">
      <Button name="done_btn" text="安装已完成" width="160" height="40" bkcolor="green" margin="0,150,0,0" halign="center"/>
      <CheckBox name="run_check" text="运行Orvane客户端" width="160" height="24" selected="true" margin="0,22,0,0" halign="center"/>
    </VBox>
  </VBox>
</Window>
)";

// What the window did that, for real, would leave the test process.
struct Outcome {
  int picks = 0;
  std::vector<std::wstring> launched;
  int ends = 0;
  // When set: whether that registration had finished when the process ended.
  const std::atomic<bool>* registered = nullptr;
  bool registered_at_end = false;
  // When set: runs as the window's close message arrives.
  std::function<void()> on_close;
};

class TestForm : public app::BasicForm {
 public:
  TestForm(Outcome* outcome, std::wstring pick) : outcome_(outcome), pick_(std::move(pick)) {}

 protected:
  std::wstring PickFolder() override {
    ++outcome_->picks;
    return pick_;
  }
  void LaunchClient(const std::wstring& path) override { outcome_->launched.push_back(path); }
  void EndProcess() override {
    ++outcome_->ends;
    if (outcome_->registered) outcome_->registered_at_end = *outcome_->registered;
  }
  LRESULT OnCloseMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override {
    if (outcome_->on_close) outcome_->on_close();
    return app::BasicForm::OnCloseMessage(message, wparam, lparam, handled);
  }

 private:
  Outcome* outcome_;
  std::wstring pick_;
};

class BasicFormTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    installer_test::WriteSkin(L"basic\\basic.xml", kBasicSkin);
    installer_test::WriteSkin(L"msgbox\\msgbox.xml", installer_test::kMsgBoxSkin);
  }

  // Opens a form on the display; null when the window could not be made.
  TestForm* Open(std::wstring pick = std::wstring()) {
    auto* form = new TestForm(&outcome_, std::move(pick));
    if (!app::OpenInstallerWindow(form)) {
      ADD_FAILURE() << "the installer window was not created, last error " << ::GetLastError();
      return nullptr;
    }
    hwnd_ = form->GetHWND();
    // Clicks reach the controls only once the window has faded in.
    if (!test_support::WaitForOpenFade(*form)) ADD_FAILURE() << "the installer window never faded in";
    return form;
  }

  void TearDown() override {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  }

  static bool Shown(TestForm* form, const wchar_t* name) {
    ui::Control* control = form->FindControl(name);
    return control && control->IsVisible();
  }

  // Moves the form to its finished view, as the install task does, and lets
  // it be laid out and drawn; false when the view never showed.
  static bool ShowFinished(TestForm* form) {
    form->FindControl(L"begin_state")->SetVisible(false);
    form->ShowFinishedView();
    return PumpUntil([&] { return Shown(form, L"finally_state"); }) && PumpUntilPainted(form->GetHWND());
  }

  static std::wstring DirText(TestForm* form) {
    auto* label = dynamic_cast<ui::Label*>(form->FindControl(L"dir_label"));
    return label ? label->GetText() : L"<no dir_label>";
  }

  static int TopMargin(TestForm* form, const wchar_t* name) {
    return form->FindControl(name)->GetMargin().top;
  }

  // The box the window opened (it has no window title); null if none.
  static HWND OpenBox() {
    HWND box = ::FindWindowW(L"MsgBox", nullptr);
    return box && ::IsWindowVisible(box) ? box : nullptr;
  }

  Outcome outcome_;
  HWND hwnd_ = nullptr;
};

TEST(BasicFormFolder, AChosenFolderGetsTheProductFolderUnlessItIsOne) {
  // Roots, and every folder that may hold other programs, get the product's own folder.
  EXPECT_EQ(L"C:\\orvanecloud", app::ProductFolderFor(L"C:\\"));
  EXPECT_EQ(L"D:/orvanecloud", app::ProductFolderFor(L"D:/"));
  EXPECT_EQ(L"\\orvanecloud", app::ProductFolderFor(L"\\"));
  EXPECT_EQ(L"C:\\users\\root\\orvanecloud", app::ProductFolderFor(L"C:\\users\\root"));
  EXPECT_EQ(L"D:\\Games\\orvanecloud", app::ProductFolderFor(L"D:\\Games\\"));
  EXPECT_EQ(L"D:\\orvanecloud2\\orvanecloud", app::ProductFolderFor(L"D:\\orvanecloud2"));
  // A product folder, in any letter case, is taken as it is.
  EXPECT_EQ(L"D:\\Soft\\OrvaneCloud", app::ProductFolderFor(L"D:\\Soft\\OrvaneCloud"));
  EXPECT_EQ(L"D:\\orvanecloud\\", app::ProductFolderFor(L"D:\\orvanecloud\\"));
}

TEST_F(BasicFormTest, CustomOptionsShowTheFolderAndAChosenRootGetsTheProductFolder) {
  RunOnUiThread([this] {
    TestForm* form = Open(L"E:\\");
    ASSERT_NE(nullptr, form) << "the installer window was not created";
    form->SetInstallFolder(L"C:\\Program Files (x86)\\orvanecloud");
    EXPECT_FALSE(Shown(form, L"change_area"));

    ASSERT_TRUE(ClickControl(form, L"show_change_btn"));
    ASSERT_TRUE(PumpUntil([&] { return Shown(form, L"change_area"); }))
        << "自定义选项 did not open the custom options";
    EXPECT_FALSE(Shown(form, L"to_change_area"));
    EXPECT_EQ(L"C:\\Program Files (x86)\\orvanecloud", DirText(form));
    EXPECT_EQ(100, TopMargin(form, L"logo_column_icon"));
    EXPECT_EQ(40, TopMargin(form, L"install_btn"));
    EXPECT_FALSE(Shown(form, L"logo_row_icon")) << "the small logo shows beside the big one";

    ASSERT_TRUE(PumpUntilPainted(hwnd_));
    ASSERT_TRUE(ClickControl(form, L"select_btn"));
    ASSERT_EQ(1, outcome_.picks) << "the folder picker never opened";
    EXPECT_EQ(L"E:\\orvanecloud", form->InstallFolder())
        << "a drive root would have spread the client over the drive";
    EXPECT_EQ(L"E:\\orvanecloud", DirText(form));

    ASSERT_TRUE(ClickControl(form, L"hidden_change_icon"));
    ASSERT_TRUE(PumpUntil([&] { return !Shown(form, L"change_area"); }))
        << "the arrow did not close the custom options";
    EXPECT_TRUE(Shown(form, L"to_change_area"));
    EXPECT_EQ(107, TopMargin(form, L"logo_column_icon"));
    EXPECT_EQ(50, TopMargin(form, L"install_btn"));
  });
}

TEST_F(BasicFormTest, ACancelledPickerKeepsTheFolder) {
  RunOnUiThread([this] {
    TestForm* form = Open(std::wstring());
    ASSERT_NE(nullptr, form);
    form->SetInstallFolder(L"D:\\Orvane");
    ASSERT_TRUE(ClickControl(form, L"show_change_icon"));
    ASSERT_TRUE(PumpUntil([&] { return Shown(form, L"change_area"); }));
    ASSERT_TRUE(PumpUntilPainted(hwnd_));
    ASSERT_TRUE(ClickControl(form, L"select_btn"));
    ASSERT_EQ(1, outcome_.picks);
    EXPECT_EQ(L"D:\\Orvane", form->InstallFolder());
    EXPECT_EQ(L"D:\\Orvane", DirText(form));
  });
}

TEST_F(BasicFormTest, CloseInTheStartViewAsksFirstAndOnlyYesEnds) {
  RunOnUiThread([this] {
    TestForm* form = Open();
    ASSERT_NE(nullptr, form);

    ASSERT_TRUE(ClickControl(form, L"close_btn"));
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = OpenBox()) != nullptr; }))
        << "closing an unfinished install asked nothing";
    ui::Window* box_window = installer_test::WindowOf(box);
    ASSERT_NE(nullptr, box_window);
    ASSERT_TRUE(test_support::WaitForOpenFade(*box_window)) << "the question box never faded in";
    auto* content = dynamic_cast<ui::RichEdit*>(box_window->FindControl(L"content"));
    ASSERT_NE(nullptr, content);
    EXPECT_EQ(L"安装尚未完成，您确定要退出安装吗？", content->GetText());
    auto* yes = dynamic_cast<ui::Label*>(box_window->FindControl(L"btn_yes"));
    auto* no = dynamic_cast<ui::Label*>(box_window->FindControl(L"btn_no"));
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(L"确定", yes->GetText());
    EXPECT_EQ(L"取消", no->GetText());
    EXPECT_FALSE(::IsWindowEnabled(hwnd_)) << "the window stays usable under its question";

    ASSERT_TRUE(ClickControl(box_window, L"btn_no"));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); })) << "取消 left the box open";
    ASSERT_TRUE(installer_test::PumpUntilPostedTasksRan()) << "the answer's task never ran";
    EXPECT_TRUE(form->GetRoot()->IsVisible()) << "取消 began to close the installer";
    EXPECT_TRUE(::IsWindow(hwnd_));
    EXPECT_TRUE(::IsWindowEnabled(hwnd_));

    ASSERT_TRUE(ClickControl(form, L"close_btn"));
    ASSERT_TRUE(PumpUntil([&] { return (box = OpenBox()) != nullptr; }));
    ASSERT_NE(nullptr, installer_test::WindowOf(box));
    ASSERT_TRUE(test_support::WaitForOpenFade(*installer_test::WindowOf(box)));
    ASSERT_TRUE(ClickControl(installer_test::WindowOf(box), L"btn_yes"));
    // The window fades out first; the end follows its close message.
    EXPECT_TRUE(PumpUntil([&] { return outcome_.ends == 1; })) << "确定 did not end the installer";
  });
}

TEST_F(BasicFormTest, TheFinishedViewClosesWithoutAskingAndStartsTheClientOnlyIfChecked) {
  for (bool run : {true, false}) {
    SCOPED_TRACE(run ? "run_check selected" : "run_check cleared");
    outcome_ = Outcome{};
    RunOnUiThread([this, run] {
      TestForm* form = Open();
      ASSERT_NE(nullptr, form);
      form->SetInstallFolder(L"C:\\Program Files (x86)\\orvanecloud");
      ASSERT_TRUE(ShowFinished(form));
      auto* check = dynamic_cast<ui::CheckBox*>(form->FindControl(L"run_check"));
      ASSERT_NE(nullptr, check);
      if (!run) {
        ASSERT_TRUE(ClickControl(form, L"run_check"));
        ASSERT_TRUE(PumpUntil([&] { return !check->IsSelected(); })) << "the check box kept its tick";
      }
      ASSERT_TRUE(ClickControl(form, L"done_btn"));
      ASSERT_TRUE(PumpUntil([&] { return outcome_.ends == 1; })) << "done_btn did not end the installer";
      EXPECT_EQ(nullptr, OpenBox()) << "the finished view asked before closing";
      if (run) {
        ASSERT_EQ(1u, outcome_.launched.size());
        EXPECT_EQ(L"C:\\Program Files (x86)\\orvanecloud\\Orvane.exe", outcome_.launched[0]);
      } else {
        EXPECT_TRUE(outcome_.launched.empty()) << "a cleared run_check still started the client";
      }
      ::DestroyWindow(hwnd_);
    });
  }

  outcome_ = Outcome{};
  RunOnUiThread([this] {
    TestForm* form = Open();
    ASSERT_NE(nullptr, form);
    ASSERT_TRUE(ShowFinished(form));
    ASSERT_TRUE(ClickControl(form, L"close_btn"));
    ASSERT_TRUE(PumpUntil([&] { return outcome_.ends == 1; }))
        << "close_btn in the finished view did not end the installer";
    EXPECT_EQ(nullptr, OpenBox()) << "the finished view asked before closing";
    EXPECT_TRUE(outcome_.launched.empty()) << "closing the finished view started the client";
  });
}

TEST_F(BasicFormTest, StatusAndProgressFromTheWorkerReachTheInstallingViewInOrder) {
  RunOnUiThread([this] {
    TestForm* form = Open();
    ASSERT_NE(nullptr, form);
    form->FindControl(L"begin_state")->SetVisible(false);
    form->FindControl(L"installing_state")->SetVisible(true);
    ui::Label* status = form->StatusLabel();
    ui::Label* value = form->ProgressValue();
    ui::Control* bar = form->ProgressBar();
    ASSERT_TRUE(status && value && bar);

    // The install task's calls, made on a thread of their own: a download's
    // stream of reports, then the next status.
    app::InstallView* view = form;
    std::thread worker([view] {
      view->SetStatusText(L"下载中...");
      for (int i = 0; i <= 400; ++i) view->SetProgress(i / 10.0);
      view->SetProgress(42.4);
      view->SetStatusText(L"解压中...");
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return status->GetText() == L"解压中..."; }))
        << "the status text from the worker never showed";
    EXPECT_EQ(L"42%", value->GetText()) << "the new status showed beside an older figure";
    EXPECT_EQ(381, bar->GetFixedWidth());

    // Past 90 the view stays at 90, and a flush alone shows the last report.
    std::thread finishing([view] {
      view->SetProgress(100);
      view->FlushProgress();
    });
    finishing.join();
    EXPECT_TRUE(PumpUntil([&] { return value->GetText() == L"90%"; })) << value->GetText();
    EXPECT_EQ(810, bar->GetFixedWidth());
  });
}

TEST_F(BasicFormTest, EndingFromTheFinishedViewWaitsForTheRegistrationInProgress) {
  test_support::ScratchFolder folder;
  test_support::WorkingFolder working(folder.path());  // for setup.log
  const std::wstring kStillRunning = L"Registration still running at exit";
  // The finished view shows while the worker still writes the shortcuts and
  // registry values. This registration holds until the test lets it go: as
  // the window's close arrives, or only after the installer has ended.
  for (bool released_at_close : {true, false}) {
    SCOPED_TRACE(released_at_close ? "released at the close" : "never released");
    outcome_ = Outcome{};
    RunOnUiThread([&] {
      TestForm* form = Open();
      ASSERT_NE(nullptr, form);
      ASSERT_TRUE(ShowFinished(form));
      std::promise<void> release;
      std::atomic<bool> holding{false}, registered{false};
      outcome_.registered = &registered;
      if (released_at_close) outcome_.on_close = [&] { release.set_value(); };
      std::thread worker([&, let_go = release.get_future()] {
        app::RegistrationInProgress registering;
        holding = true;
        let_go.wait();
        registered = true;
      });
      EXPECT_TRUE(PumpUntil([&] { return holding.load(); }));
      EXPECT_FALSE(app::WaitForRegistrationToEnd(10)) << "a registration in progress was not seen";
      EXPECT_TRUE(ClickControl(form, L"done_btn"));
      EXPECT_TRUE(PumpUntil([&] { return outcome_.ends == 1; }, 15000)) << "done_btn did not end the installer";
      EXPECT_EQ(released_at_close, outcome_.registered_at_end)
          << (released_at_close ? "the installer ended in the middle of the registration"
                                : "the test's registration ended by itself");
      const auto log = test_support::SetupLogMessages();
      EXPECT_EQ(!released_at_close, std::find(log.begin(), log.end(), kStillRunning) != log.end())
          << "the ending did not wait for the registration, or timed out on a finished one";
      if (!released_at_close) release.set_value();
      worker.join();
      outcome_.registered = nullptr;
      EXPECT_TRUE(app::WaitForRegistrationToEnd(0)) << "the finished registration still counts as running";
      ::DestroyWindow(hwnd_);
    });
  }
}

}  // namespace
