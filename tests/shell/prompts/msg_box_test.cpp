// The installer's message box on real windows: layout of long texts, the
// buttons an empty text leaves, the answer as a task after real clicks, and
// the owner disabled while a box is up.
#include <gtest/gtest.h>

#include <optional>

#include "app/shell/prompts/msg_box.h"
#include "shell/support/installer_test_support.h"
#include "ui/controls/control.h"
#include "ui/widgets/rich_edit.h"

namespace {

using installer_test::ClickControl;
using installer_test::OwnerWindow;
using installer_test::PumpUntil;
using installer_test::RunOnUiThread;
using installer_test::WindowOf;

using installer_test::kMsgBoxSkin;

class MsgBoxTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { installer_test::WriteSkin(L"msgbox\\msgbox.xml", kMsgBoxSkin); }
};

struct Answer {
  std::optional<app::MsgBoxRet> ret;
  bool owner_enabled_then = false;
};

// Opens a box over `owner` that records its answer into `answer`.
HWND Present(HWND owner, const std::wstring& content, const std::wstring& yes,
             const std::wstring& no, Answer* answer) {
  return app::PresentMsgBox(owner, content, false, L"提示", false, yes, false, no, false,
                            [answer, owner](app::MsgBoxRet ret) {
                              answer->ret = ret;
                              answer->owner_enabled_then = ::IsWindowEnabled(owner) != FALSE;
                            });
}

bool Gone(HWND hwnd) { return !::IsWindow(hwnd); }

TEST_F(MsgBoxTest, LongContentGrowsTheTextAreaWhileTheBoxKeepsItsSize) {
  RunOnUiThread([] {
    OwnerWindow owner;
    Answer short_answer, long_answer;
    HWND short_box = Present(owner.hwnd(), L"短", L"确定", L"取消", &short_answer);
    ASSERT_NE(nullptr, short_box) << "the box window was not created";
    std::wstring long_text;
    for (int i = 0; i < 6; ++i) long_text += L"安装尚未完成，您确定要退出安装吗？";
    HWND long_box = Present(owner.hwnd(), long_text, L"确定", L"取消", &long_answer);
    ASSERT_NE(nullptr, long_box);
    ASSERT_TRUE(test_support::WaitForOpenFade(*WindowOf(short_box)) &&
                test_support::WaitForOpenFade(*WindowOf(long_box)));

    for (HWND box : {short_box, long_box}) {
      RECT rect{};
      ::GetWindowRect(box, &rect);
      EXPECT_EQ(358, rect.right - rect.left) << "the box changed its width";
      EXPECT_EQ(208, rect.bottom - rect.top) << "the box changed its height";
    }
    ui::Window* short_window = WindowOf(short_box);
    ui::Window* long_window = WindowOf(long_box);
    ui::Control* short_content = short_window->FindControl(L"content");
    ui::Control* long_content = long_window->FindControl(L"content");
    EXPECT_GT(long_content->GetFixedHeight(), short_content->GetFixedHeight() * 2)
        << "five wrapped lines got no more room than one";
    // Shown above the buttons and scrolled to be read to its end.
    const RECT long_text_pos = long_content->GetPos();
    EXPECT_LE(long_text_pos.bottom, long_window->FindControl(L"btn_yes")->GetPos().top)
        << "the text runs under the buttons";
    auto* long_edit = static_cast<ui::RichEdit*>(long_content);
    ASSERT_NE(nullptr, long_edit->GetVScrollBar());
    EXPECT_GT(long_edit->GetVScrollBar()->GetRange(), 0) << "the long text cannot scroll";
    EXPECT_EQ(0, static_cast<ui::RichEdit*>(short_content)->GetVScrollBar()->GetRange());
    // The buttons float: anchored to the bottom right whatever the text's height.
    const RECT short_yes = short_window->FindControl(L"btn_yes")->GetPos();
    const RECT long_yes = long_window->FindControl(L"btn_yes")->GetPos();
    EXPECT_EQ(short_yes.right, long_yes.right);
    EXPECT_EQ(short_yes.bottom, long_yes.bottom);
    RECT client{};
    ::GetClientRect(long_box, &client);
    EXPECT_EQ(client.bottom - 20, long_window->FindControl(L"btn_no")->GetPos().bottom);
    ::DestroyWindow(short_box);  // it lies over the long one
    ASSERT_TRUE(installer_test::PumpUntilPainted(long_box));
    installer_test::SaveScreenshot("installer_msgbox_long.png");
    // The real wheel message over the text scrolls it.
    POINT over_text{long_text_pos.left + 20, long_text_pos.top + 10};
    ::ClientToScreen(long_box, &over_text);
    ::SendMessageW(long_box, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)),
                   MAKELPARAM(over_text.x, over_text.y));
    EXPECT_GT(long_edit->GetTextScrollPos().y, 0) << "the wheel did not scroll the text";
    ASSERT_TRUE(installer_test::PumpUntilPainted(long_box));
    installer_test::SaveScreenshot("installer_msgbox_long_scrolled.png");

    ::DestroyWindow(long_box);
  });
}

TEST_F(MsgBoxTest, AnEmptyTextLeavesOneButtonWithTheFocus) {
  RunOnUiThread([] {
    OwnerWindow owner;
    Answer answer;
    HWND yes_only = Present(owner.hwnd(), L"只有确定", L"确定", L"", &answer);
    ASSERT_NE(nullptr, yes_only);
    ui::Window* box = WindowOf(yes_only);
    EXPECT_TRUE(box->FindControl(L"btn_yes")->IsVisible());
    EXPECT_FALSE(box->FindControl(L"btn_no")->IsVisible()) << "an empty no text left btn_no";
    EXPECT_EQ(box->FindControl(L"btn_yes"), box->GetFocusControl());
    ::DestroyWindow(yes_only);

    HWND no_only = Present(owner.hwnd(), L"只有取消", L"", L"取消", &answer);
    ASSERT_NE(nullptr, no_only);
    box = WindowOf(no_only);
    EXPECT_FALSE(box->FindControl(L"btn_yes")->IsVisible());
    EXPECT_TRUE(box->FindControl(L"btn_no")->IsVisible());
    EXPECT_EQ(box->FindControl(L"btn_no"), box->GetFocusControl())
        << "with no yes button the focus belongs to btn_no";
    ::DestroyWindow(no_only);
  });
}

TEST_F(MsgBoxTest, ClicksAnswerAsATaskAfterTheOwnerIsEnabledAgain) {
  RunOnUiThread([] {
    OwnerWindow owner;
    struct Case {
      const wchar_t* button;
      app::MsgBoxRet expected;
    };
    for (const Case& c : {Case{L"btn_yes", app::kMsgBoxYes}, Case{L"btn_no", app::kMsgBoxNo},
                          Case{L"closebtn", app::kMsgBoxNo}}) {
      SCOPED_TRACE(testing::Message() << "clicked " << std::string(c.button, c.button + wcslen(c.button)));
      Answer answer;
      HWND hwnd = Present(owner.hwnd(), L"请选择", L"确定", L"取消", &answer);
      ASSERT_NE(nullptr, hwnd);
      EXPECT_FALSE(::IsWindowEnabled(owner.hwnd())) << "the owner stays usable under the box";
      ASSERT_TRUE(test_support::WaitForOpenFade(*WindowOf(hwnd))) << "the box never faded in";
      ASSERT_TRUE(ClickControl(WindowOf(hwnd), c.button)) << "xdotool did not finish";
      ASSERT_TRUE(PumpUntil([&] { return answer.ret.has_value(); }))
          << "the answer never arrived";
      EXPECT_EQ(c.expected, *answer.ret);
      EXPECT_TRUE(answer.owner_enabled_then) << "the callback ran with the owner still disabled";
      EXPECT_TRUE(PumpUntil([&] { return Gone(hwnd); }, 3000)) << "the box stayed open";
      EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
    }
  });
}

TEST_F(MsgBoxTest, TwoBoxesOverOneOwnerClosedByTheSystemAnswerNo) {
  RunOnUiThread([] {
    OwnerWindow owner;
    Answer first, second;
    HWND a = Present(owner.hwnd(), L"第一个", L"确定", L"取消", &first);
    HWND b = Present(owner.hwnd(), L"第二个", L"确定", L"取消", &second);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_FALSE(::IsWindowEnabled(owner.hwnd()));
    // Closed by the system (as Alt+F4 does): each answers no, as its close
    // button would, once the owner is usable again.
    ::PostMessageW(a, WM_CLOSE, 0, 0);
    ::PostMessageW(b, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return Gone(a) && Gone(b) && first.ret && second.ret; }, 3000))
        << "a box closed by the system stayed or did not answer";
    EXPECT_EQ(app::kMsgBoxNo, first.ret.value_or(app::kMsgBoxYes));
    EXPECT_EQ(app::kMsgBoxNo, second.ret.value_or(app::kMsgBoxYes));
    EXPECT_TRUE(first.owner_enabled_then) << "the answer ran with the owner still disabled";
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd())) << "the owner stayed disabled";
  });
}

TEST_F(MsgBoxTest, NoSkinMeansNoBoxAndAnUntouchedOwner) {
  RunOnUiThread([] {
    OwnerWindow owner;
    installer_test::WriteSkin(L"msgbox\\msgbox.xml", "<Window><VBox>");
    // The shell reports the broken skin in a system box; dismiss it.
    test_support::SystemDialogAnswerer answerer;
    Answer answer;
    HWND hwnd = Present(owner.hwnd(), L"x", L"确定", L"取消", &answer);
    installer_test::WriteSkin(L"msgbox\\msgbox.xml", kMsgBoxSkin);
    EXPECT_TRUE(answerer.Finish()) << "the broken skin was not reported";
    EXPECT_EQ(nullptr, hwnd);
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
  });
}

}  // namespace
