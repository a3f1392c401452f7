// Painting a window's control tree: the render context the tree is drawn
// into, and handing the drawn bitmap to the screen, by BitBlt for a plain
// window or by UpdateLayeredWindow with per-pixel alpha for a layered one.
//
// The window decides when to paint (WM_PAINT, layout, the open fade); the
// painter only draws and presents what it is given.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "base/unique_any.h"

namespace ui {

class Control;
class IRenderContext;
class Shadow;

// What one WM_PAINT that drew has cost, split into bringing the tree into
// the bitmap (layout pass, tree paint, alpha repair) and handing the bitmap
// to the screen (UpdateLayeredWindow, or the BitBlt), so the cost of a
// repaint can be measured on the real paint path. The hand-over is also
// counted in the painting thread's CPU time (user and kernel), so the
// thread's own work can be told from the platform's.
struct PaintCost {
  double render_seconds = 0;
  double present_seconds = 0;
  double present_cpu_seconds = 0;
};

// One paint's subject: the window, its tree and how it is shown.
struct TreeFrame {
  HWND hwnd = nullptr;
  Control* root = nullptr;
  bool layered = false;
  BYTE alpha = 255;
  POINT render_offset{0, 0};
  const Shadow* shadow = nullptr;
  // Insets of the root inside which a layered window's GDI alpha is repaired
  // when no shadow frames the content.
  RECT alpha_fix_corner{0, 0, 0, 0};
};

class WindowPainter {
 public:
  WindowPainter();
  ~WindowPainter();
  WindowPainter(const WindowPainter&) = delete;
  WindowPainter& operator=(const WindowPainter&) = delete;

  // Seconds on the performance counter, for timing paints.
  static double Now();
  // CPU seconds (user and kernel) the calling thread has used.
  static double ThreadCpuNow();
  // The window's update region, to be read before BeginPaint empties it:
  // its bounding box, and the rectangles it is made of, since a progress step
  // invalidates a bar and a label far apart and the box around both is mostly
  // pixels that did not change. The parts are just the box when the region
  // is one rectangle, many, or unreadable; the box is empty when nothing is
  // invalid. One read of the region serves both.
  struct UpdateArea {
    RECT bounds{0, 0, 0, 0};
    std::vector<RECT> parts;
  };
  static UpdateArea ReadUpdateArea(HWND hwnd);

  // A layered window's update rectangle grown by the parts of the window
  // outside the virtual screen: they never get an update region of their
  // own, yet UpdateLayeredWindow shows the whole bitmap.
  RECT AddOffscreenParts(HWND hwnd, RECT update);
  // The display layout changed (WM_DISPLAYCHANGE): the virtual screen is
  // read again at the next paint.
  void ForgetVirtualScreen() { virtual_screen_known_ = false; }

  // Holds the window's DC for the window's life and makes the render context
  // (once).
  void Init(HWND hwnd);
  // The native window is going: its DC is given back.
  void ReleaseWindowDc() { window_dc_.reset(); }
  IRenderContext* render() const { return render_.get(); }

  // Renders the laid-out tree within each of `parts` (which lie inside
  // `update`) and presents `update` on `paint_dc` (from BeginPaint), counting
  // the paint from `started` (Now() when the paint began). The first paint
  // of a tree marks its startup phases. False when there was nothing to paint.
  bool PaintAndPresent(const TreeFrame& frame, HDC paint_dc, RECT update, const std::vector<RECT>& parts,
                       bool first_paint, double started);

  // Told the cost of each paint that drew, when set.
  std::function<void(const PaintCost&)> on_paint;

 private:
  // Paints the tree into the bitmap within `update` (which grows to the
  // client area when the bitmap was resized) and, for a layered window,
  // repairs the alpha GDI text cleared. False when there is nothing to paint.
  bool RenderTree(const TreeFrame& frame, RECT* update);
  void Present(const TreeFrame& frame, HDC paint_dc, const RECT& update);

  base::unique_hdc_window window_dc_;
  std::unique_ptr<IRenderContext> render_;
  // What the last successful layered presentation showed, so the next one
  // can send only what changed.
  SIZE presented_size_{0, 0};
  BYTE presented_alpha_ = 255;
  // The virtual screen, kept between paints: the platform answers each of
  // its four metrics by walking the display devices, which cost more than
  // the tree paint of a progress step.
  RECT virtual_screen_{0, 0, 0, 0};
  bool virtual_screen_known_ = false;
};

}  // namespace ui
