// A window for control trees that has no native window, for tests and
// benchmarks: it owns a root control and a render context of a given size,
// runs layout passes and paints like the window shell does, and feeds
// simulated mouse input to the product's ControlDispatcher, so controls get
// exactly the events a real window would give them. Names, classes and timer
// tasks live in a ControlRegistry as they do for a window; timers fire only
// when FireTimers says so.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/controls/control_host.h"
#include "ui/controls/control_registry.h"
#include "ui/window/control_dispatcher.h"

namespace ui {
class Control;
class IRenderContext;
}  // namespace test_support

namespace test_support {

using ui::Control;
using ui::IRenderContext;

class OffscreenHost : public ui::IControlHost {
 public:
  // A render context of width x height from the global render factory (or
  // a GDI+ context over the global font and colour tables when no factory
  // is installed).
  OffscreenHost(int width, int height);
  ~OffscreenHost() override;
  OffscreenHost(const OffscreenHost&) = delete;
  OffscreenHost& operator=(const OffscreenHost&) = delete;

  // Takes ownership of `root` (an earlier root is destroyed), gives the tree
  // this host as its window and enters every name.
  void AttachRoot(Control* root);
  RECT GetClientRect() const { return RECT{0, 0, width_, height_}; }
  void Resize(int width, int height);

  // The layout pass due before a paint, when one was requested.
  void LayoutIfNeeded();
  // Lays out if needed, clears the surface and paints the whole tree.
  void PaintAll();
  // Number of passes that actually ran, for tests of arrangement requests.
  int GetLayoutPassCount() const { return layout_passes_; }
  bool IsLayoutRequested() const { return layout_needed_; }

  // Simulated mouse input, client coordinates, as WM_MOUSEMOVE,
  // WM_LBUTTONDOWN and WM_LBUTTONUP through the dispatcher: hover with
  // enter/leave, focus and press with capture, release to the pressed control.
  void MouseMove(POINT pt);
  void ButtonDown(POINT pt);
  void ButtonUp(POINT pt);
  // Move, press and release at one point.
  void Click(POINT pt);
  // A keyboard or focus message (WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_KILLFOCUS)
  // through the dispatcher, as the window hands it on.
  void Key(UINT message, WPARAM wparam = 0) { Dispatch(message, wparam, POINT{0, 0}); }
  // What the window's mouse hit test finds at `pt`.
  Control* ControlAt(POINT pt) const;

  // The union of every rectangle invalidated since the last reset.
  RECT GetInvalidRect() const { return invalid_; }
  void ResetInvalidRect() { invalid_ = RECT{0, 0, 0, 0}; }

  // Pixel (x, y) of the surface as ARGB (premultiplied).
  DWORD GetPixel(int x, int y) const;
  // Writes the surface as a PNG file; false when it could not.
  bool SavePng(const std::wstring& path) const;

  // Runs every pending timer task once (repeating ones stay).
  void FireTimers();

  // IControlHost.
  HWND GetHWND() const override { return nullptr; }
  Control* GetRoot() const override { return root_.get(); }
  IRenderContext* GetRenderContext() const override { return render_.get(); }
  void Invalidate(const RECT& rect) override;
  void RequestLayout() override { layout_needed_ = true; }
  void RegisterControlName(Control* control) override;
  void UnregisterControl(Control* control) override;
  Control* FindControl(const std::wstring& name) const override;
  std::wstring GetClassAttributes(const std::wstring& class_name) const override;
  std::wstring GetResourceSubPath() const override { return sub_path_; }
  Control* GetMouseOverControl() const override { return dispatcher_.hovered(); }
  POINT GetLastMousePos() const override { return dispatcher_.last_mouse_pos(); }
  Control* GetFocusControl() const override { return dispatcher_.focused(); }
  void SetFocusControl(Control* control) override { dispatcher_.SetFocus(control); }
  void SetCapture() override { captured_ = true; }
  void ReleaseCapture() override { captured_ = false; }
  bool IsCaptured() const override { return captured_; }
  UINT_PTR StartTimer(std::function<void()> task, UINT elapse_ms, bool repeat) override;
  void StopTimer(UINT_PTR timer_id) override;
  void SendMenuEvent(Control* control) override;

  // Window-level classes and the skin folder, as a skin's Window element
  // would give them.
  void AddClass(const std::wstring& name, const std::wstring& attributes) {
    registry_.AddClass(name, attributes);
  }
  void SetResourceSubPath(const std::wstring& path) { sub_path_ = path; }

 private:
  void Dispatch(UINT message, WPARAM wparam, POINT pt);

  int width_;
  int height_;
  std::unique_ptr<IRenderContext> render_;
  ui::ControlRegistry registry_;
  ui::ControlDispatcher dispatcher_{*this};
  // Declared last so the tree goes first: its controls unregister themselves
  // from the registry and the dispatcher.
  std::unique_ptr<Control> root_;
  std::wstring sub_path_;
  RECT invalid_{0, 0, 0, 0};
  bool captured_ = false;
  bool layout_needed_ = false;
  int layout_passes_ = 0;
};

}  // namespace test_support
