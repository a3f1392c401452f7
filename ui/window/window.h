// One native top-level window and the control tree it shows.
//
// Window creates the HWND (from the class WindowClass registers), owns the
// root control, keeps the skin's frame settings, runs timers and the alpha
// fades, routes Win32 messages to controls (ControlDispatcher) and paints
// the tree when the system asks (WindowPainter draws and presents it). Names,
// classes, timer tasks and delayed deletes live in its ControlRegistry.
// WindowImplBase adds the skinned-window behaviour (skin building, caption
// dragging, system buttons) on top.
//
// Lifetime: the object outlives its HWND. When the native window is destroyed
// OnFinalMessage runs and, by default, deletes the object, so windows are
// allocated with new and never deleted by their creator once OpenWindow has
// succeeded.
//
// UI thread only: a window and its controls belong to the thread that made
// the window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/weak_callback.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_registry.h"
#include "ui/controls/event_args.h"
#include "ui/window/control_dispatcher.h"
#include "ui/window/fade_animation.h"
#include "ui/window/shadow.h"
#include "ui/window/ui_message_filter.h"
#include "ui/window/window_class.h"
#include "ui/window/window_paint.h"

namespace ui {

class Box;
class Control;
class IRenderContext;
class MarkupNode;

// The private message that deletes controls queued for delayed deletion.
constexpr UINT kMsgDelayedCleanup = WM_APP + 1;

class Window : public NativeWindow, public base::SupportWeakCallback, public IControlHost {
 public:
  Window();
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // --- overridable behaviour ------------------------------------------------
  // The registered class name; a subclass must supply one.
  std::wstring WindowClassName() const override;
  // A system class to superclass instead of registering a new class.
  std::wstring SuperClassName() const override;
  UINT WindowClassStyle() const override;
  // Registers the class and creates the native window; null on failure.
  virtual HWND OpenWindow(HWND parent, const std::wstring& title, DWORD style, DWORD ex_style,
                          bool layered = true, const RECT& rect = RECT{0, 0, 0, 0});
  // Asks the window to close with `result` as WM_CLOSE's wParam. On Vista and
  // later the content fades out at once and WM_CLOSE follows 300 ms later.
  virtual void RequestClose(UINT result = IDOK);
  virtual void ShowOnScreen(bool show = true, bool take_focus = true);
  // The native window is gone; the default deletes the object.
  virtual void OnFinalMessage(HWND hwnd);
  LRESULT RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // The fade-in started at the first paint.
  virtual void PlayOpenFade();
  virtual void SetTitleText(const std::wstring& text);

  // --- placement ------------------------------------------------------------
  // Centres over a visible owner, else on the work area of the nearest
  // monitor, keeping the window inside that work area.
  void CentreOnScreen();
  bool IsLayered() const { return layered_; }
  BYTE GetWindowAlpha() const { return window_alpha_; }
  bool IsClosing() const { return closing_; }

  // `on_paint` is told the cost of each paint that draws from now on (set it
  // before OpenWindow to see the first).
  void WatchPaints(std::function<void(const PaintCost&)> on_paint) {
    painter_.on_paint = std::move(on_paint);
  }

  // --- the control tree -----------------------------------------------------
  // Installs `root`; an earlier root is queued for delayed deletion. False
  // for null.
  bool AttachRoot(std::unique_ptr<Control> root);
  // The control under `pt` (client coordinates) for mouse purposes.
  Control* FindControl(POINT pt) const;
  // Registers every control of the subtree in the name map and gives it this
  // window.
  void InitControls(Control* control, Box* parent = nullptr);
  // The control (one in the tree) leaves its parent after the current
  // message has been handled.
  void QueueDelayedDelete(Control* control);
  // Window-local classes of the skin (its Class elements).
  void AddClass(const std::wstring& name, const std::wstring& attributes);
  // Handlers of the window-close event, raised from OnFinalMessage.
  void AttachWindowClose(EventCallback callback);

  // --- frame settings (the skin's Window attributes) -------------------------
  // One attribute of the skin's `Window` element ("size", "caption", ...);
  // names the window does not know change nothing.
  void ApplyAttribute(const std::wstring& name, const std::wstring& value);
  // All of the element's attributes, one by one in document order.
  void ApplyAttributes(const MarkupNode& element);
  // IControlHost: the attributes once the native window exists (a windowless
  // build ignores the size and the frame), and the element's `Class`
  // children as the window's own classes, looked up after the global ones.
  void ApplyWindowElement(const MarkupNode& element) override;
  // The initial client size; the shadow's padding is added while a shadow is
  // attached. Resizes the native window at once while no root exists yet.
  void SetInitSize(int cx, int cy, bool contain_shadow = false, bool dpi_scale = true);
  SIZE GetInitSize() const { return init_size_; }
  // 0 means no limit.
  void SetMinInfo(int cx, int cy, bool contain_shadow = false, bool dpi_scale = true);
  void SetMaxInfo(int cx, int cy, bool contain_shadow = false, bool dpi_scale = true);
  SIZE GetMinInfo() const { return min_info_; }
  SIZE GetMaxInfo() const { return max_info_; }
  // Height := `percent` of the work-area height of the window's monitor,
  // bounded by the minimum and maximum heights.
  void SetHeightPercent(double percent);
  double GetHeightPercent() const { return height_percent_; }
  // Widths of the resize borders (not DPI-scaled).
  void SetSizeBox(const RECT& rect) { size_box_ = rect; }
  const RECT& GetSizeBox() const { return size_box_; }
  // left/right: insets from the client's sides; top: inset from the top;
  // bottom: the caption's extent from the client's top.
  void SetCaptionRect(const RECT& rect, bool dpi_scale = true);
  const RECT& GetCaptionRect() const { return caption_rect_; }
  void SetRoundCorner(int cx, int cy, bool dpi_scale = true);
  SIZE GetRoundCorner() const { return round_corner_; }
  void SetAlphaFixCorner(const RECT& rect, bool dpi_scale = true);
  const RECT& GetAlphaFixCorner() const { return alpha_fix_corner_; }
  // Placement of the maximised window relative to the work area; all zero
  // means the whole work area.
  void SetMaximizeInfo(const RECT& rect) { maximize_info_ = rect; }
  const RECT& GetMaximizeInfo() const { return maximize_info_; }
  void SetRenderOffset(POINT offset);
  POINT GetRenderOffset() const { return render_offset_; }
  // The owner is re-enabled by RequestClose when this is set.
  void SetModal(bool modal) { modal_ = modal; }

  Shadow& GetShadow() { return shadow_; }
  const Shadow& GetShadow() const { return shadow_; }
  void SetShadowAttached(bool attached) { shadow_.SetAttached(attached); }
  bool IsShadowAttached() const { return shadow_.IsAttached(); }
  void SetShadowImage(const std::wstring& image) { shadow_.SetImage(image); }
  void SetShadowCorner(const RECT& padding, bool dpi_scale = true);
  // The padding becomes the configured one scaled to `percent` (a DPI change).
  void RescaleShadow(int percent);

  // --- message filters ------------------------------------------------------
  bool AddMessageFilter(IUIMessageFilter* filter);
  bool RemoveMessageFilter(IUIMessageFilter* filter);

  // --- IControlHost ---------------------------------------------------------
  HWND GetHWND() const override { return hwnd_; }
  Control* GetRoot() const override { return root_.get(); }
  IRenderContext* GetRenderContext() const override { return painter_.render(); }
  void Invalidate(const RECT& rect) override;
  void RequestLayout() override { needs_layout_ = true; }
  void RegisterControlName(Control* control) override;
  void UnregisterControl(Control* control) override;
  Control* FindControl(const std::wstring& name) const override;
  std::wstring GetClassAttributes(const std::wstring& class_name) const override;
  std::wstring GetResourceSubPath() const override { return resource_sub_path_; }
  Control* GetMouseOverControl() const override { return dispatcher_.hovered(); }
  POINT GetLastMousePos() const override { return dispatcher_.last_mouse_pos(); }
  Control* GetFocusControl() const override { return dispatcher_.focused(); }
  void SetFocusControl(Control* control) override { dispatcher_.SetFocus(control); }
  void SetCapture() override;
  void ReleaseCapture() override;
  bool IsCaptured() const override { return mouse_captured_; }
  UINT_PTR StartTimer(std::function<void()> task, UINT elapse_ms, bool repeat) override;
  void StopTimer(UINT_PTR timer_id) override;
  void SendMenuEvent(Control* control) override;

  ControlDispatcher& dispatcher() { return dispatcher_; }

 protected:
  // The control dispatcher and the chained procedure: what RouteMessage does
  // with a message no hook claimed.
  LRESULT DefaultRoute(UINT message, WPARAM wparam, LPARAM lparam);
  // Runs the message filters and the control dispatcher; true when claimed.
  bool DispatchToControls(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  LRESULT CallChainedProc(UINT message, WPARAM wparam, LPARAM lparam);
  void SetResourceSubPath(const std::wstring& path) { resource_sub_path_ = path; }
  // Takes the window DC and makes the render context (creation step 2).
  void InitPaint();
  // Measures an auto-sized root with unbounded room, bounded by the root's
  // limits; {0,0} when the root is not auto-sized.
  SIZE MeasureAutoRoot();
  // Lays the tree out before a paint when a layout pass is due.
  void EnsureLayout();
  // The client rectangle less the shadow's padding when a shadow is attached.
  RECT GetClientRectWithoutShadow() const;
  void ApplyShadowPaddingForSize(UINT size_type);

  bool subclassed_ = false;

 private:
  // Lets go of what belonged to the native window and runs OnFinalMessage.
  void OnNativeWindowGone(HWND hwnd) override;
  LRESULT OnPaint();
  void DetachTreePointers(Control* control);
  void OnTimer(UINT_PTR id);
  // Runs the alpha fade towards 255 (forward) or 0 from a step timer.
  void RunFade(bool forward);
  void OnFadeStep(int alpha);

  std::unique_ptr<Control> root_;
  SIZE min_info_{0, 0};
  SIZE max_info_{0, 0};
  SIZE init_size_{0, 0};
  RECT maximize_info_{0, 0, 0, 0};
  RECT size_box_{0, 0, 0, 0};
  RECT alpha_fix_corner_{0, 0, 0, 0};
  SIZE round_corner_{0, 0};
  RECT caption_rect_{0, 0, 0, 0};
  double height_percent_ = 0;

  WindowPainter painter_;
  bool layered_ = false;
  BYTE window_alpha_ = 255;
  POINT render_offset_{0, 0};
  bool first_paint_ = false;
  bool needs_layout_ = false;
  bool mouse_captured_ = false;
  bool closing_ = false;
  bool modal_ = false;

  ControlDispatcher dispatcher_;
  std::wstring resource_sub_path_;
  ControlRegistry registry_;
  std::vector<IUIMessageFilter*> filters_;
  std::vector<EventCallback> close_handlers_;
  Shadow shadow_;
  FadeAnimation fade_;
  UINT_PTR fade_timer_ = 0;
};

}  // namespace ui
