#include "ui/layout.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/control_resources.h"

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

}  // namespace

bool Layout::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"padding") {
    SetPadding(ParseRectAttribute(value), true);
    return true;
  }
  if (name == L"childmargin") {
    SetChildMargin(control_resources::ScaleForDpi(ParseIntAttribute(value)));
    return true;
  }
  return false;
}

void Layout::SetPadding(RECT padding, bool dpi_scale) {
  if (dpi_scale) {
    padding.left = control_resources::ScaleForDpi(padding.left);
    padding.top = control_resources::ScaleForDpi(padding.top);
    padding.right = control_resources::ScaleForDpi(padding.right);
    padding.bottom = control_resources::ScaleForDpi(padding.bottom);
  }
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

SIZE Layout::ArrangeChild(const std::vector<Control*>& items, RECT rc) {
  SIZE used{0, 0};
  for (Control* c : items) {
    if (!c->IsVisible()) continue;
    SIZE sz = SetFloatPos(c, rc);
    used.cx = std::max(used.cx, sz.cx);
    used.cy = std::max(used.cy, sz.cy);
  }
  return used;
}

SIZE Layout::MeasureChild(const std::vector<Control*>& items, int aw, int ah) {
  SIZE size{-9999, -9999};
  for (Control* c : items) {
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

// --- HLayout ---------------------------------------------------------------

SIZE HLayout::ArrangeChild(const std::vector<Control*>& items, RECT rc) {
  const int W = rc.right - rc.left;
  const int H = rc.bottom - rc.top;
  const int cm = child_margin_;

  // First pass: what the fixed-width children and all margins take.
  int n = 0, stretch = 0, fixed = 0;
  for (Control* c : items) {
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++n;
    SIZE sz = c->MeasureSize(W, H);
    const RECT& m = c->GetMargin();
    if (sz.cx == kSizeStretch) {
      ++stretch;
      fixed += m.left + m.right;
    } else {
      fixed += ClampWidth(c, sz.cx) + m.left + m.right;
    }
  }
  if (n > 0) fixed += (n - 1) * cm;
  const int share = stretch >= 1 ? std::max((W - fixed) / stretch, 0) : 0;
  int remainder = W - stretch * share - fixed;

  // Second pass: place them left to right.
  int x = rc.left, rw = W, used = 0, tallest = 0;
  for (Control* c : items) {
    if (!c->IsVisible()) continue;
    if (c->IsFloat()) {
      SetFloatPos(c, rc);
      continue;
    }
    const RECT& m = c->GetMargin();
    rw -= m.left;
    SIZE sz = c->MeasureSize(rw, H);
    int w = sz.cx;
    if (w == kSizeStretch) {
      // The pixels the share leaves over go one each to the first stretch
      // children.
      w = share;
      if (remainder > 0) {
        ++w;
        --remainder;
      }
    }
    w = ClampWidth(c, w);
    int h = sz.cy;
    if (h == kSizeStretch) h = H - m.bottom - m.top;
    h = std::max(h, 0);
    h = ClampHeight(c, h);
    int y0 = rc.top + m.top;
    switch (c->GetVerAlign()) {
      case VerAlign::kTop: y0 = rc.top + m.top; break;
      case VerAlign::kBottom: y0 = rc.bottom - m.bottom - h; break;
      case VerAlign::kCenter: y0 = (m.top + rc.bottom - m.bottom - h - rc.top) / 2 + rc.top; break;
    }
    const int x0 = x + m.left;
    c->SetPos(RECT{x0, y0, x0 + w, y0 + h});
    tallest = std::max(tallest, h);
    x += m.left + w + m.right + cm;
    used += m.left + w + m.right;
    rw -= w + m.right + cm;
  }
  return SIZE{(n > 0 ? (n - 1) * cm : 0) + used, tallest};
}

SIZE HLayout::MeasureChild(const std::vector<Control*>& items, int aw, int ah) {
  SIZE size{0, 0};
  int n = 0;
  for (Control* c : items) {
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++n;
    SIZE sz = c->MeasureSize(aw, ah);
    const RECT& m = c->GetMargin();
    size.cx += ClampWidth(c, sz.cx) + m.left + m.right;
    size.cy = std::max<LONG>(size.cy, m.top + ClampHeight(c, sz.cy) + m.bottom);
  }
  if (n >= 2) size.cx += (n - 1) * child_margin_;
  size.cx += padding_.left + padding_.right;
  size.cy += padding_.top + padding_.bottom;
  return size;
}

// --- VLayout ---------------------------------------------------------------

SIZE VLayout::ArrangeChild(const std::vector<Control*>& items, RECT rc) {
  const int W = rc.right - rc.left;
  const int H = rc.bottom - rc.top;
  const int cm = child_margin_;

  int n = 0, stretch = 0, fixed = 0;
  for (Control* c : items) {
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++n;
    SIZE sz = c->MeasureSize(W, H);
    const RECT& m = c->GetMargin();
    if (sz.cy == kSizeStretch) {
      ++stretch;
      fixed += m.top + m.bottom;
    } else {
      fixed += ClampHeight(c, sz.cy) + m.top + m.bottom;
    }
  }
  if (n > 0) fixed += (n - 1) * cm;
  const int share = stretch >= 1 ? std::max((H - fixed) / stretch, 0) : 0;
  int remainder = H - stretch * share - fixed;

  int y = rc.top, rh = H, used = 0, widest = 0;
  for (Control* c : items) {
    if (!c->IsVisible()) continue;
    if (c->IsFloat()) {
      SetFloatPos(c, rc);
      continue;
    }
    const RECT& m = c->GetMargin();
    rh -= m.top;
    SIZE sz = c->MeasureSize(W, rh);
    int h = sz.cy;
    if (h == kSizeStretch) {
      h = share;
      if (remainder > 0) {
        ++h;
        --remainder;
      }
    }
    h = ClampHeight(c, h);
    int w = sz.cx;
    if (w == kSizeStretch) w = W - m.right - m.left;
    w = std::max(w, 0);
    w = ClampWidth(c, w);
    int x0 = rc.left + m.left;
    switch (c->GetHorAlign()) {
      case HorAlign::kLeft: x0 = rc.left + m.left; break;
      case HorAlign::kRight: x0 = rc.right - m.right - w; break;
      case HorAlign::kCenter: x0 = (m.left + rc.right - m.right - w - rc.left) / 2 + rc.left; break;
    }
    const int y0 = y + m.top;
    c->SetPos(RECT{x0, y0, x0 + w, y0 + h});
    widest = std::max(widest, w);
    y += m.top + h + m.bottom + cm;
    used += m.top + h + m.bottom;
    rh -= h + m.bottom + cm;
  }
  return SIZE{widest, (n > 0 ? (n - 1) * cm : 0) + used};
}

SIZE VLayout::MeasureChild(const std::vector<Control*>& items, int aw, int ah) {
  SIZE size{0, 0};
  int n = 0;
  for (Control* c : items) {
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++n;
    SIZE sz = c->MeasureSize(aw, ah);
    const RECT& m = c->GetMargin();
    size.cy += ClampHeight(c, sz.cy) + m.top + m.bottom;
    size.cx = std::max<LONG>(size.cx, m.left + ClampWidth(c, sz.cx) + m.right);
  }
  if (n >= 2) size.cy += (n - 1) * child_margin_;
  size.cx += padding_.left + padding_.right;
  size.cy += padding_.top + padding_.bottom;
  return size;
}

}  // namespace ui
