#include "ui/controls/place_holder.h"

#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"

namespace ui {
namespace {

// Pixels are scaled for DPI; the two special values are not.
int ScaleSize(int value, bool dpi_scale) {
  return (dpi_scale && value > 0) ? control_resources::ScaleForDpi(value) : value;
}

bool IsValidFixedSize(int value) { return value >= 0 || value == kSizeStretch || value == kSizeAuto; }

}  // namespace

void PlaceHolder::SetFixedWidth(int width, bool arrange, bool dpi_scale) {
  if (!IsValidFixedSize(width)) return;
  width = ScaleSize(width, dpi_scale);
  if (width == fixed_width_) return;
  fixed_width_ = width;
  needs_estimate_ = true;
  if (arrange) ArrangeAncestor();
}

void PlaceHolder::SetFixedHeight(int height, bool arrange, bool dpi_scale) {
  if (!IsValidFixedSize(height)) return;
  height = ScaleSize(height, dpi_scale);
  if (height == fixed_height_) return;
  fixed_height_ = height;
  needs_estimate_ = true;
  if (arrange) ArrangeAncestor();
}

void PlaceHolder::SetMinWidth(int width) {
  if (width == min_width_) return;
  min_width_ = width;
  needs_estimate_ = true;
  ArrangeAncestor();
}

void PlaceHolder::SetMinHeight(int height) {
  if (height == min_height_) return;
  min_height_ = height;
  needs_estimate_ = true;
  ArrangeAncestor();
}

void PlaceHolder::SetMaxWidth(int width) {
  if (width == max_width_) return;
  max_width_ = width;
  needs_estimate_ = true;
  ArrangeAncestor();
}

void PlaceHolder::SetMaxHeight(int height) {
  if (height == max_height_) return;
  max_height_ = height;
  needs_estimate_ = true;
  ArrangeAncestor();
}

void PlaceHolder::SetHorAlign(HorAlign align) {
  if (align == hor_align_) return;
  hor_align_ = align;
  ArrangeAncestor();
}

void PlaceHolder::SetVerAlign(VerAlign align) {
  if (align == ver_align_) return;
  ver_align_ = align;
  ArrangeAncestor();
}

void PlaceHolder::SetFloat(bool value) {
  if (value == float_) return;
  float_ = value;
  ArrangeAncestor();
}

void PlaceHolder::Arrange() {
  if (!visible_) return;
  needs_estimate_ = true;
  needs_layout_ = true;
  Invalidate();
  if (window_) window_->RequestLayout();
}

void PlaceHolder::Invalidate() {
  if (!window_ || !visible_) return;
  window_->Invalidate(pos_);
}

}  // namespace ui
