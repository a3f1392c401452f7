// A window for control trees that has no native window: it owns a root
// control and a render context of a given size, runs layout passes and
// paints like the window shell does, and turns simulated mouse input into
// the events the window shell would send. Used by tests and benchmarks.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/control_host.h"

namespace ui {

class Control;
class IRenderContext;

class OffscreenHost : public IControlHost {
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

  // Simulated mouse input, client coordinates, as the window shell routes
  // it: hover tracking with enter/leave, press with capture, release to the
  // pressed control.
  void MouseMove(POINT pt);
  void ButtonDown(POINT pt);
  void ButtonUp(POINT pt);
  // Move, press and release at one point.
  void Click(POINT pt);
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
  Control* GetMouseOverControl() const override { return hover_; }
  POINT GetLastMousePos() const override { return last_mouse_; }
  Control* GetFocusControl() const override { return focus_; }
  void SetFocusControl(Control* control) override { focus_ = control; }
  void SetCapture() override { captured_ = true; }
  void ReleaseCapture() override { captured_ = false; }
  bool IsCaptured() const override { return captured_; }
  UINT_PTR StartTimer(std::function<void()> task, UINT elapse_ms, bool repeat) override;
  void StopTimer(UINT_PTR timer_id) override;
  void SendMenuEvent(Control* control) override;

  // Window-level classes and the skin folder, as a skin's Window element
  // would give them.
  void AddClass(const std::wstring& name, const std::wstring& attributes) {
    classes_[name] = attributes;
  }
  void SetResourceSubPath(const std::wstring& path) { sub_path_ = path; }

 private:
  struct Timer {
    std::function<void()> task;
    bool repeat = false;
  };

  int width_;
  int height_;
  std::unique_ptr<IRenderContext> render_;
  std::unique_ptr<Control> root_;
  std::map<std::wstring, Control*> names_;
  std::map<std::wstring, std::wstring> classes_;
  std::map<UINT_PTR, Timer> timers_;
  UINT_PTR next_timer_ = 1;
  std::wstring sub_path_;
  RECT invalid_{0, 0, 0, 0};
  POINT last_mouse_{0, 0};
  Control* hover_ = nullptr;
  Control* pressed_ = nullptr;
  Control* focus_ = nullptr;
  bool captured_ = false;
  bool layout_needed_ = false;
  int layout_passes_ = 0;
};

}  // namespace ui
