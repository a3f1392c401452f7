// A skinned top-level window: the base of every window of the program.
//
// WindowImplBase builds its control tree from a skin file when the native
// window is created, makes a borderless window behave like a framed one
// (dragging by the caption band, resizing by the size box, maximising onto
// the right monitor, rounded corners) and wires the standard system buttons
// "closebtn", "minbtn", "maxbtn" and "restorebtn" of the skin.
//
// A window of the program derives from it and supplies at least the class
// name, the skin folder and the skin file:
//
//   class AboutForm : public ui::WindowImplBase {
//    public:
//     std::wstring WindowClassName() const override { return L"AboutForm"; }
//     std::wstring SkinFolder() override { return L"about"; }
//     std::wstring SkinFile() override { return L"about.xml"; }
//     void OnSkinLoaded() override {
//       ok_ = FindControl(L"ok_btn");
//       static_cast<ui::Box*>(GetRoot())->AttachBubbledEvent(ui::kEventClick,
//           ToWeakCallback([this](ui::EventArgs* e) { return OnClick(e); }));
//     }
//   };
//
//   auto* form = new AboutForm;   // deletes itself when its window is gone
//   if (form->OpenWindow(nullptr, L"About", WS_OVERLAPPEDWINDOW, 0)) {
//     form->ShowOnScreen();
//     form->CentreOnScreen();
//   }
#pragma once

#include <windows.h>

#include <string>

#include "ui/window/ui_message_filter.h"
#include "ui/window/window.h"

namespace ui {

class Control;

class WindowImplBase : public Window, public IUIMessageFilter {
 public:
  WindowImplBase();
  ~WindowImplBase() override;

  // --- hooks ----------------------------------------------------------------
  // The skin has been built and attached: look controls up, attach handlers.
  virtual void OnSkinLoaded() {}
  // The style set when the window is created: the current one without a
  // caption.
  virtual LONG WindowStyle() const;
  // An identifier of the window's resources; the shell does not read it.
  virtual std::wstring ResourceId() const { return std::wstring(); }
  // A control for a skin tag nothing else knows; null to skip the element.
  virtual Control* CreateCustomControl(const std::wstring& class_name);
  // WM_CLOSE. Not handled by default, so the window is destroyed.
  virtual LRESULT OnCloseMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);

  // One hook per message, in the order RouteMessage dispatches them. Each
  // sets `handled` to return its result instead of passing the message on.
  virtual LRESULT OnDestroyMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnNcActivate(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnNcCalcSize(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnWindowPosChanging(UINT message, WPARAM wparam, LPARAM lparam,
                                      bool& handled);
  virtual LRESULT OnNcPaint(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnNcLButtonDbClick(UINT message, WPARAM wparam, LPARAM lparam,
                                     bool& handled);
  virtual LRESULT OnNcHitTest(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnMouseWheel(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnMouseHover(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnDpiChanged(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnSize(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnChar(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnSysCommand(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnKeyDown(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnKillFocus(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnSetFocus(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnLButtonDown(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnLButtonUp(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnMouseMove(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);

  // Restores a minimised window, shows a hidden one and brings it forward.
  virtual void BringToFront();
  // The skin folder (relative to the resource path) and the skin file in it.
  virtual std::wstring SkinFolder() = 0;
  virtual std::wstring SkinFile() = 0;

  // --- Window ---------------------------------------------------------------
  LRESULT RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // IUIMessageFilter: nothing is filtered by default.
  LRESULT MessageFilter(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;

  // The non-client hit code for a point in client coordinates (the logic of
  // WM_NCHITTEST).
  LRESULT HitTest(POINT client_point) const;

 protected:
  // The click handler of the system buttons; the sender's name decides.
  bool OnSystemButtonClick(EventArgs* event);

 private:
  // The creation sequence; -1 makes CreateWindowExW fail.
  LRESULT OnCreate(const CREATESTRUCTW* create);
  void AttachSystemButtons();
  void SizeToAutoRoot();
};

}  // namespace ui
