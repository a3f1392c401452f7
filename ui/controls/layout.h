// Layouts place the children of a Box.
//
// Layout stacks every child inside the box, each aligned on its own;
// FlowLayout puts the flow children one after the other along its axis (in a
// row for HLayout, in a column for VLayout), sharing what is left over among
// the stretching children. All arithmetic is in integer
// pixels and divisions truncate toward zero; floating children of a row or
// column are placed the way Layout places every child.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls/control_list.h"

namespace ui {

class Layout {
 public:
  Layout() = default;
  virtual ~Layout() = default;
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  // The box whose children this layout places.
  void SetOwner(Control* owner) { owner_ = owner; }
  Control* GetOwner() const { return owner_; }

  // "padding" (rectangle) and "childmargin" (integer); false for other names.
  virtual bool ApplyAttribute(const std::wstring& name, const std::wstring& value);
  // Places `items` inside `rect` (the box's content rectangle); returns the
  // size they use.
  virtual SIZE ArrangeChild(const ControlList& items, RECT rect);
  // The size the children wish for the room given (padding included).
  virtual SIZE MeasureChild(const ControlList& items, int available_width,
                            int available_height);

  const RECT& GetPadding() const { return padding_; }
  // A change asks the owner to arrange again.
  void SetPadding(RECT padding, bool dpi_scale = true);
  int GetChildMargin() const { return child_margin_; }
  void SetChildMargin(int margin);

  // Places one child against `rect` by its margin, size wishes and
  // alignment; returns the size it uses ((0,0) for an invisible child).
  static SIZE SetFloatPos(Control* control, RECT rect);

 protected:
  // Visits `items` as control_tree::ForEachChild does for the owner's list;
  // false when the owner, and with it this layout, was destroyed meanwhile.
  bool ForEachItem(const ControlList& items,
                   const std::function<void(Control*)>& visit) const;

  Control* owner_ = nullptr;
  RECT padding_{0, 0, 0, 0};
  int child_margin_ = 0;
};

enum class LayoutAxis { kHorizontal, kVertical };

// Flow children one after the other along the axis (a row or a column); the
// two directions run the same arithmetic with the axes exchanged.
class FlowLayout : public Layout {
 public:
  explicit FlowLayout(LayoutAxis axis) : axis_(axis) {}
  LayoutAxis GetAxis() const { return axis_; }

  SIZE ArrangeChild(const ControlList& items, RECT rect) override;
  SIZE MeasureChild(const ControlList& items, int available_width,
                    int available_height) override;

 private:
  LayoutAxis axis_;
};

// The row of HBox.
class HLayout : public FlowLayout {
 public:
  HLayout() : FlowLayout(LayoutAxis::kHorizontal) {}
};

// The column of VBox.
class VLayout : public FlowLayout {
 public:
  VLayout() : FlowLayout(LayoutAxis::kVertical) {}
};

}  // namespace ui
