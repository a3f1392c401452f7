// Layouts place the children of a Box.
//
// Layout stacks every child inside the box, each aligned on its own; HLayout
// puts the flow children in a row and VLayout in a column, sharing what is
// left over among the stretching children. All arithmetic is in integer
// pixels and divisions truncate toward zero; floating children of a row or
// column are placed the way Layout places every child.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

class Box;
class Control;

class Layout {
 public:
  Layout() = default;
  virtual ~Layout() = default;
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  void SetOwner(Box* owner) { owner_ = owner; }
  Box* GetOwner() const { return owner_; }

  // "padding" (rectangle) and "childmargin" (integer); false for other names.
  virtual bool ApplyAttribute(const std::wstring& name, const std::wstring& value);
  // Places `items` inside `rect` (the box's content rectangle); returns the
  // size they use.
  virtual SIZE ArrangeChild(const std::vector<Control*>& items, RECT rect);
  // The size the children wish for the room given (padding included).
  virtual SIZE MeasureChild(const std::vector<Control*>& items, int available_width,
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
  Box* owner_ = nullptr;
  RECT padding_{0, 0, 0, 0};
  int child_margin_ = 0;
};

class HLayout : public Layout {
 public:
  SIZE ArrangeChild(const std::vector<Control*>& items, RECT rect) override;
  SIZE MeasureChild(const std::vector<Control*>& items, int available_width,
                    int available_height) override;
};

class VLayout : public Layout {
 public:
  SIZE ArrangeChild(const std::vector<Control*>& items, RECT rect) override;
  SIZE MeasureChild(const std::vector<Control*>& items, int available_width,
                    int available_height) override;
};

}  // namespace ui
