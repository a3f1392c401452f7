// Geometry and identity of a skin element: the size wishes that layouts read
// (fixed, automatic or stretching sizes, limits, alignment, float), the
// position the parent's layout gave it, and where it belongs (window,
// parent). Control adds look, state and events on top.
#pragma once

#include <windows.h>

#include <string>

#include "base/weak_callback.h"

namespace ui {

class Control;
class IControlHost;

// Values of a fixed width or height that are not pixels.
constexpr int kSizeStretch = -1;
constexpr int kSizeAuto = -2;
// The default maximum size: a limit applies only when it is 0 or more.
constexpr int kSizeNoLimit = 9999999;

enum class HorAlign { kLeft, kCenter, kRight };
enum class VerAlign { kTop, kCenter, kBottom };

class PlaceHolder : public base::SupportWeakCallback {
 public:
  PlaceHolder() = default;
  ~PlaceHolder() override = default;
  PlaceHolder(const PlaceHolder&) = delete;
  PlaceHolder& operator=(const PlaceHolder&) = delete;

  const std::wstring& GetName() const { return name_; }
  void SetName(const std::wstring& name) { name_ = name; }

  IControlHost* GetWindow() const { return window_; }
  Control* GetParent() const { return parent_; }

  // Fixed size: kSizeStretch, kSizeAuto or pixels. A change asks the
  // ancestor to arrange again.
  int GetFixedWidth() const { return fixed_width_; }
  int GetFixedHeight() const { return fixed_height_; }
  void SetFixedWidth(int width, bool arrange = true, bool dpi_scale = true);
  void SetFixedHeight(int height, bool arrange = true, bool dpi_scale = true);
  bool IsAutoWidth() const { return fixed_width_ == kSizeAuto; }
  bool IsAutoHeight() const { return fixed_height_ == kSizeAuto; }

  int GetMinWidth() const { return min_width_; }
  int GetMinHeight() const { return min_height_; }
  int GetMaxWidth() const { return max_width_; }
  int GetMaxHeight() const { return max_height_; }
  void SetMinWidth(int width);
  void SetMinHeight(int height);
  void SetMaxWidth(int width);
  void SetMaxHeight(int height);

  HorAlign GetHorAlign() const { return hor_align_; }
  VerAlign GetVerAlign() const { return ver_align_; }
  void SetHorAlign(HorAlign align);
  void SetVerAlign(VerAlign align);

  bool IsFloat() const { return float_; }
  void SetFloat(bool value);

  bool IsVisible() const { return visible_; }
  // Hidden by a hidden ancestor (the control itself may still be visible).
  bool IsHiddenByAncestor() const { return hidden_by_ancestor_; }
  void SetHiddenByAncestor(bool hidden) { hidden_by_ancestor_ = hidden; }

  // The rectangle in window client coordinates the parent's layout set.
  const RECT& GetPos() const { return pos_; }
  int GetWidth() const { return pos_.right - pos_.left; }
  int GetHeight() const { return pos_.bottom - pos_.top; }

  // The last MeasureSize result is cached until a size wish or the content
  // changes.
  bool IsEstimateStale() const { return needs_estimate_; }
  void SetEstimateStale(bool stale = true) { needs_estimate_ = stale; }

  // Set when the control was asked to arrange and not yet positioned.
  bool NeedsLayout() const { return needs_layout_; }
  void SetNeedsLayout(bool needs) { needs_layout_ = needs; }

  // Asks the nearest ancestor whose size cannot change with this control to
  // lay out again (the window's root when every ancestor is auto-sized). The
  // ancestors are controls, so Control answers it.
  virtual void ArrangeAncestor() = 0;
  // Marks this control for a layout pass before the next paint.
  virtual void Arrange();
  // Repaints the control's own rectangle.
  virtual void Invalidate();

 protected:
  std::wstring name_;
  IControlHost* window_ = nullptr;
  Control* parent_ = nullptr;
  int fixed_width_ = kSizeStretch;
  int fixed_height_ = kSizeStretch;
  int min_width_ = -1;
  int min_height_ = -1;
  int max_width_ = kSizeNoLimit;
  int max_height_ = kSizeNoLimit;
  RECT pos_{0, 0, 0, 0};
  HorAlign hor_align_ = HorAlign::kLeft;
  VerAlign ver_align_ = VerAlign::kTop;
  bool float_ = false;
  bool visible_ = true;
  bool hidden_by_ancestor_ = false;
  bool needs_estimate_ = true;
  bool needs_layout_ = false;
};

}  // namespace ui
