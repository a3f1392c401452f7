// A scroll bar the framework draws itself: a track with a thumb whose length
// shows how much of the content is in view.
//
// The bar only keeps a position between 0 and its range (how far the content
// can move, in pixels) and reports every change through `on_scroll`; the
// control it belongs to moves its content. Dragging the thumb, pressing the
// track (a page towards the press) and the wheel move it; a touch or pen
// works like the mouse.
#pragma once

#include <functional>

#include "ui/controls/control.h"

namespace ui {

class ScrollBar : public Control {
 public:
  enum class Orientation { kVertical, kHorizontal };
  // The bar's thickness across its length.
  static constexpr int kThickness = 8;

  explicit ScrollBar(Orientation orientation);

  Orientation orientation() const { return orientation_; }
  // `range`: how far the content can move; `page`: how much of it is in
  // view. The position is kept within the new range.
  void SetRange(int range, int page);
  int GetRange() const { return range_; }
  int GetPage() const { return page_; }
  int GetScrollPos() const { return pos_; }
  // Moves to `pos` (kept within the range); `on_scroll` hears of a change.
  void SetScrollPos(int pos);
  // One wheel notch (delta 120) moves this many pixels.
  void ScrollByWheel(int delta);
  // Where the thumb is now; empty when there is nothing to scroll.
  RECT GetThumbRect() const;

  std::function<void(int pos)> on_scroll;

  void HandleEvent(EventArgs& event) override;
  void PaintStatusColor(IRenderContext* render) override;

 private:
  int TrackLength() const;
  int ThumbLength() const;
  // The coordinate along the bar of `pt`, from the track's start.
  int AlongTrack(POINT pt) const;

  Orientation orientation_;
  int range_ = 0;
  int page_ = 0;
  int pos_ = 0;
  bool dragging_ = false;
  int drag_grip_ = 0;  // where on the thumb it was taken, from its start
};

}  // namespace ui
