#include "ui/controls/layout.h"

#include <algorithm>

#include "ui/controls/attribute_setters.h"
#include "ui/controls/control.h"
#include "ui/controls/control_resources.h"
#include "ui/controls/control_tree.h"
#include "ui/resources/attribute_values.h"

namespace ui {
namespace {

int ClampWidth(const Control* c, int w) {
  w = std::max(w, c->GetMinWidth());
  if (c->GetMaxWidth() >= 0) w = std::min(w, c->GetMaxWidth());
  return w;
}

int ClampHeight(const Control* c, int h) {
  h = std::max(h, c->GetMinHeight());
  if (c->GetMaxHeight() >= 0) h = std::min(h, c->GetMaxHeight());
  return h;
}

enum class Edge { kStart, kCenter, kEnd };

// A flow seen along its axis ("main": across the row's width, down the
// column's height) and across it ("cross"). Rectangles and margins are both
// RECTs, so the same accessors read the room and a child's margin.
class Axes {
 public:
  explicit Axes(LayoutAxis axis) : row_(axis == LayoutAxis::kHorizontal) {}

  int Main(SIZE s) const { return row_ ? s.cx : s.cy; }
  int Cross(SIZE s) const { return row_ ? s.cy : s.cx; }
  int MainStart(const RECT& r) const { return row_ ? r.left : r.top; }
  int MainEnd(const RECT& r) const { return row_ ? r.right : r.bottom; }
  int CrossStart(const RECT& r) const { return row_ ? r.top : r.left; }
  int CrossEnd(const RECT& r) const { return row_ ? r.bottom : r.right; }
  int MainLength(const RECT& r) const { return MainEnd(r) - MainStart(r); }
  int CrossLength(const RECT& r) const { return CrossEnd(r) - CrossStart(r); }

  int ClampMain(const Control* c, int v) const {
    return row_ ? ClampWidth(c, v) : ClampHeight(c, v);
  }
  int ClampCross(const Control* c, int v) const {
    return row_ ? ClampHeight(c, v) : ClampWidth(c, v);
  }
  // A row aligns its children vertically, a column horizontally.
  Edge CrossAlign(const Control* c) const {
    if (row_) {
      VerAlign align = c->GetVerAlign();
      return align == VerAlign::kTop ? Edge::kStart
                                     : align == VerAlign::kBottom ? Edge::kEnd : Edge::kCenter;
    }
    HorAlign align = c->GetHorAlign();
    return align == HorAlign::kLeft ? Edge::kStart
                                    : align == HorAlign::kRight ? Edge::kEnd : Edge::kCenter;
  }

  SIZE MakeSize(int main, int cross) const { return row_ ? SIZE{main, cross} : SIZE{cross, main}; }
  RECT MakeRect(int main0, int cross0, int main1, int cross1) const {
    return row_ ? RECT{main0, cross0, main1, cross1} : RECT{cross0, main0, cross1, main1};
  }

 private:
  bool row_;
};

}  // namespace

bool Layout::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  using Value = const std::wstring&;
  static const attribute_setters::Table<Layout> kSetters = {
      {L"padding", [](Layout& l, Value v) { l.SetPadding(ParseRectAttribute(v), true); }},
      {L"childmargin",
       [](Layout& l, Value v) {
         l.SetChildMargin(control_resources::ScaleForDpi(ParseIntAttribute(v)));
       }},
  };
  return attribute_setters::Apply(kSetters, *this, name, value);
}

void Layout::SetPadding(RECT padding, bool dpi_scale) {
  if (dpi_scale) padding = control_resources::ScaleRectForDpi(padding);
  if (::EqualRect(&padding, &padding_)) return;
  padding_ = padding;
  if (owner_) owner_->ArrangeAncestor();
}

void Layout::SetChildMargin(int margin) {
  if (margin == child_margin_) return;
  child_margin_ = margin;
  if (owner_) owner_->ArrangeAncestor();
}

SIZE Layout::SetFloatPos(Control* c, RECT rc) {
  if (!c->IsVisible()) return SIZE{0, 0};
  const RECT& m = c->GetMargin();
  const int left = rc.left + m.left;
  const int top = rc.top + m.top;
  const int right = rc.right - m.right;
  const int bottom = rc.bottom - m.bottom;
  const int aw = right - left;
  const int ah = bottom - top;

  SIZE sz = c->MeasureSize(aw, ah);
  if (c->IsAutoWidth() && c->IsAutoHeight() && c->GetMaxWidth() == -1 &&
      std::max(aw, 0) < sz.cx) {
    // Auto text wraps to the room there is: measure once at that width, then
    // let the control be auto again for the next pass.
    c->SetFixedWidth(std::max(aw, 0), false, false);
    sz = c->MeasureSize(aw, ah);
    c->SetFixedWidth(kSizeAuto, false, false);
    c->SetEstimateStale();
  }

  int w = sz.cx == kSizeStretch ? std::max(aw, 0) : sz.cx;
  w = ClampWidth(c, w);
  int h = sz.cy == kSizeStretch ? std::max(ah, 0) : sz.cy;
  h = ClampHeight(c, h);

  int x0 = left;
  switch (c->GetHorAlign()) {
    case HorAlign::kLeft: x0 = left; break;
    case HorAlign::kRight: x0 = right - w; break;
    case HorAlign::kCenter: x0 = (right - w - left) / 2 + left; break;
  }
  int y0 = top;
  switch (c->GetVerAlign()) {
    case VerAlign::kTop: y0 = top; break;
    case VerAlign::kBottom: y0 = bottom - h; break;
    case VerAlign::kCenter: y0 = (bottom - h - top) / 2 + top; break;
  }
  const int x1 = x0 + w;
  const int y1 = y0 + h;
  c->SetPos(RECT{x0, y0, x1, y1});
  return SIZE{x1 - x0, y1 - y0};
}

SIZE Layout::ArrangeChild(const ControlList& items, RECT rc) {
  // Placing a child runs its resize handlers, which may change the tree or
  // delete the owner, and this layout with it: then nothing here is touched
  // again.
  SIZE used{0, 0};
  if (!ForEachItem(items, [&](Control* c) {
        if (!c->IsVisible()) return;
        SIZE sz = SetFloatPos(c, rc);
        used.cx = std::max(used.cx, sz.cx);
        used.cy = std::max(used.cy, sz.cy);
      }))
    return SIZE{0, 0};
  return used;
}

bool Layout::ForEachItem(const ControlList& items,
                         const std::function<void(Control*)>& visit) const {
  if (!owner_) {
    for (Control* c : control_tree::Snapshot(items)) visit(c);
    return true;
  }
  return control_tree::ForEachChild(owner_, items, visit);
}

SIZE Layout::MeasureChild(const ControlList& items, int aw, int ah) {
  SIZE size{-9999, -9999};
  for (const std::unique_ptr<Control>& item : items) {
    Control* c = item.get();
    if (!c->IsVisible()) continue;
    SIZE sz = c->MeasureSize(aw, ah);
    const RECT& m = c->GetMargin();
    size.cx = std::max<LONG>(size.cx, ClampWidth(c, sz.cx) + m.left + m.right);
    size.cy = std::max<LONG>(size.cy, ClampHeight(c, sz.cy) + m.top + m.bottom);
  }
  size.cx += padding_.left + padding_.right;
  size.cy += padding_.top + padding_.bottom;
  return size;
}

// --- FlowLayout ----------------------------------------------------------------

SIZE FlowLayout::ArrangeChild(const ControlList& items, RECT rc) {
  const Axes a(axis_);
  const int W = rc.right - rc.left;
  const int H = rc.bottom - rc.top;
  const int length = a.MainLength(rc);
  const int thickness = a.CrossLength(rc);
  const int cm = child_margin_;

  // First pass: what the fixed children and all margins take along the axis.
  int n = 0, stretch = 0, fixed = 0;
  for (const std::unique_ptr<Control>& item : items) {
    Control* c = item.get();
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++n;
    const int main = a.Main(c->MeasureSize(W, H));
    const RECT& m = c->GetMargin();
    if (main == kSizeStretch) {
      ++stretch;
      fixed += a.MainStart(m) + a.MainEnd(m);
    } else {
      fixed += a.ClampMain(c, main) + a.MainStart(m) + a.MainEnd(m);
    }
  }
  if (n > 0) fixed += (n - 1) * cm;
  const int share = stretch >= 1 ? std::max((length - fixed) / stretch, 0) : 0;
  int remainder = length - stretch * share - fixed;

  // Second pass: place them one after the other. Placing runs resize
  // handlers (see Layout::ArrangeChild), so nothing of a child is read after
  // its SetPos.
  int cursor = a.MainStart(rc), rest = length, used = 0, thickest = 0;
  const bool owner_alive = ForEachItem(items, [&](Control* c) {
    if (!c->IsVisible()) return;
    if (c->IsFloat()) {
      SetFloatPos(c, rc);
      return;
    }
    const RECT m = c->GetMargin();
    rest -= a.MainStart(m);
    // The room left along the axis, the whole room across it.
    const SIZE sz = a.MakeSize(rest, thickness);
    const SIZE wish = c->MeasureSize(sz.cx, sz.cy);
    int main = a.Main(wish);
    if (main == kSizeStretch) {
      // The pixels the share leaves over go one each to the first stretch
      // children.
      main = share;
      if (remainder > 0) {
        ++main;
        --remainder;
      }
    }
    main = a.ClampMain(c, main);
    int cross = a.Cross(wish);
    if (cross == kSizeStretch) cross = thickness - a.CrossEnd(m) - a.CrossStart(m);
    cross = std::max(cross, 0);
    cross = a.ClampCross(c, cross);
    int cross0 = a.CrossStart(rc) + a.CrossStart(m);
    switch (a.CrossAlign(c)) {
      case Edge::kStart: break;
      case Edge::kEnd: cross0 = a.CrossEnd(rc) - a.CrossEnd(m) - cross; break;
      case Edge::kCenter:
        cross0 = (a.CrossStart(m) + a.CrossEnd(rc) - a.CrossEnd(m) - cross - a.CrossStart(rc)) / 2 +
                 a.CrossStart(rc);
        break;
    }
    const int main0 = cursor + a.MainStart(m);
    c->SetPos(a.MakeRect(main0, cross0, main0 + main, cross0 + cross));
    thickest = std::max(thickest, cross);
    cursor += a.MainStart(m) + main + a.MainEnd(m) + cm;
    used += a.MainStart(m) + main + a.MainEnd(m);
    rest -= main + a.MainEnd(m) + cm;
  });
  if (!owner_alive) return SIZE{0, 0};
  return a.MakeSize((n > 0 ? (n - 1) * cm : 0) + used, thickest);
}

SIZE FlowLayout::MeasureChild(const ControlList& items, int aw, int ah) {
  const Axes a(axis_);
  int main = 0, cross = 0, n = 0;
  for (const std::unique_ptr<Control>& item : items) {
    Control* c = item.get();
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++n;
    const SIZE sz = c->MeasureSize(aw, ah);
    const RECT& m = c->GetMargin();
    main += a.ClampMain(c, a.Main(sz)) + a.MainStart(m) + a.MainEnd(m);
    cross = std::max(cross, a.CrossStart(m) + a.ClampCross(c, a.Cross(sz)) + a.CrossEnd(m));
  }
  if (n >= 2) main += (n - 1) * child_margin_;
  SIZE size = a.MakeSize(main, cross);
  size.cx += padding_.left + padding_.right;
  size.cy += padding_.top + padding_.bottom;
  return size;
}

}  // namespace ui
