// The installer's own question box: a small skinned window with a title, a
// text and up to two buttons, shown over an owner window.
//
// It is not a nested modal loop. PresentMsgBox disables the owner, shows the
// box and returns at once; the answer arrives later as a task posted to the
// UI thread, after the box's close has been requested and the owner has
// been enabled again. A box closed by the system (Alt+F4) answers no, as its
// close button does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/builder/window_impl_base.h"
#include "ui/controls/controls_fwd.h"
#include "ui/widgets/widgets_fwd.h"

namespace app {

enum MsgBoxRet : int {
  kMsgBoxYes = 0,  // the first, positive button
  kMsgBoxNo = 1,   // the second button, the close button or the system's close
};

using MsgBoxCallback = std::function<void(MsgBoxRet)>;

class MsgBox : public ui::WindowImplBase {
 public:
  MsgBox();
  ~MsgBox() override;

  std::wstring WindowClassName() const override;
  UINT WindowClassStyle() const override;
  void RequestClose(UINT result = IDOK) override;
  LRESULT RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnSkinLoaded() override;
  std::wstring SkinFolder() override;
  std::wstring SkinFile() override;
  LRESULT OnCloseMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;

  // Fills the box and shows it over `owner`; the window must exist.
  void Present(HWND owner, const std::wstring& content, const std::wstring& title,
               const std::wstring& yes, const std::wstring& no, MsgBoxCallback callback);

 private:
  bool OnClick(ui::EventArgs* event);
  void Finish(MsgBoxRet answer);
  // The callback runs as a task after the current message.
  void PostAnswer(MsgBoxRet answer);
  void EnableOwner();

  ui::Label* title_ = nullptr;
  ui::RichEdit* content_ = nullptr;
  ui::Button* btn_yes_ = nullptr;
  ui::Button* btn_no_ = nullptr;
  MsgBoxCallback callback_;
  bool answered_ = false;
};

// Opens a message box over `owner`. A string whose is-id flag is set is an id
// of the language string table. Returns once the box is on screen; the box
// window, or null when it could not be created (the callback then never
// runs and the owner stays enabled). UI thread only.
HWND PresentMsgBox(HWND owner, const std::wstring& content, bool content_is_id,
                   const std::wstring& title, bool title_is_id, const std::wstring& yes,
                   bool yes_is_id, const std::wstring& no, bool no_is_id,
                   MsgBoxCallback callback);

}  // namespace app
