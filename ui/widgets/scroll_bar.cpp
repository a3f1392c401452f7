#include "ui/widgets/scroll_bar.h"

#include <algorithm>

#include "ui/controls/event_args.h"
#include "ui/render/render_context.h"

namespace ui {
namespace {

// A thumb shorter than this would be hard to take.
constexpr int kMinThumbLength = 16;
constexpr int kWheelNotch = 120;
constexpr int kPixelsPerNotch = 40;
constexpr DWORD kTrackColor = 0x20000000;
constexpr DWORD kThumbColor = 0x80000000;
constexpr DWORD kThumbActiveColor = 0xB0000000;

}  // namespace

ScrollBar::ScrollBar(Orientation orientation) : orientation_(orientation) {}

void ScrollBar::SetRange(int range, int page) {
  range = std::max(range, 0);
  page = std::max(page, 0);
  if (range == range_ && page == page_) return;
  range_ = range;
  page_ = page;
  Invalidate();
  if (pos_ > range_) SetScrollPos(range_);
}

void ScrollBar::SetScrollPos(int pos) {
  pos = std::clamp(pos, 0, range_);
  if (pos == pos_) return;
  pos_ = pos;
  Invalidate();
  if (on_scroll) on_scroll(pos_);
}

void ScrollBar::ScrollByWheel(int delta) {
  // Wheel forward (positive) moves the content back towards its start.
  SetScrollPos(pos_ - delta * kPixelsPerNotch / kWheelNotch);
}

int ScrollBar::TrackLength() const {
  return orientation_ == Orientation::kVertical ? GetHeight() : GetWidth();
}

int ScrollBar::ThumbLength() const {
  const int track = TrackLength();
  const int content = page_ + range_;
  if (content <= 0) return track;
  return std::min(track, std::max(kMinThumbLength, track * page_ / content));
}

RECT ScrollBar::GetThumbRect() const {
  if (range_ == 0) return RECT{0, 0, 0, 0};
  const int free = TrackLength() - ThumbLength();
  const int start = static_cast<int>(static_cast<long long>(free) * pos_ / range_);
  RECT thumb = GetPos();
  if (orientation_ == Orientation::kVertical) {
    thumb.top += start;
    thumb.bottom = thumb.top + ThumbLength();
  } else {
    thumb.left += start;
    thumb.right = thumb.left + ThumbLength();
  }
  return thumb;
}

int ScrollBar::AlongTrack(POINT pt) const {
  const RECT& pos = GetPos();
  return orientation_ == Orientation::kVertical ? pt.y - pos.top : pt.x - pos.left;
}

void ScrollBar::HandleEvent(EventArgs& event) {
  switch (event.type) {
    case kEventMouseButtonDown:
    case kEventMouseDoubleClick:
    case kEventPointerDown: {
      if (range_ == 0) return;
      const RECT thumb = GetThumbRect();
      const int at = AlongTrack(event.mousePoint);
      const int thumb_start = AlongTrack(POINT{thumb.left, thumb.top});
      if (::PtInRect(&thumb, event.mousePoint)) {
        dragging_ = true;
        drag_grip_ = at - thumb_start;
        Invalidate();
      } else {
        SetScrollPos(at < thumb_start ? pos_ - page_ : pos_ + page_);
      }
      return;
    }
    case kEventMouseMove:
    case kEventPointerMove: {
      if (!dragging_) return;
      const int free = TrackLength() - ThumbLength();
      if (free <= 0) return;
      const int start = AlongTrack(event.mousePoint) - drag_grip_;
      SetScrollPos(static_cast<int>(static_cast<long long>(start) * range_ / free));
      return;
    }
    case kEventMouseButtonUp:
    case kEventPointerUp:
      if (dragging_) {
        dragging_ = false;
        Invalidate();
      }
      return;
    case kEventMouseScrollWheel:
      ScrollByWheel(static_cast<int>(static_cast<short>(event.wParam)));
      return;
    default:
      Control::HandleEvent(event);
  }
}

void ScrollBar::PaintStatusColor(IRenderContext* render) {
  Control::PaintStatusColor(render);
  // With nothing to scroll the bar keeps its room but draws nothing, so a
  // text that fits looks as it would without a bar.
  if (range_ == 0) return;
  render->FillRect(GetPos(), kTrackColor);
  const RECT thumb = GetThumbRect();
  if (!::IsRectEmpty(&thumb)) render->FillRect(thumb, dragging_ ? kThumbActiveColor : kThumbColor);
}

}  // namespace ui
