// A control that owns an ordered list of children and a layout that places
// them. Paint order is list order; the window's hit test finds the child
// painted last first.
//
// Besides the handlers of Control, a box runs "bubbled" handlers for events
// its descendants send (and for its own): those attached from code for the
// type and kEventAll, then those from BubbledEvent elements.
#pragma once

#include <memory>
#include <vector>

#include "ui/controls/control.h"
#include "ui/controls/layout.h"

namespace ui {

class Box : public Control {
 public:
  // Takes the layout; a plain Layout (children overlap) when none is given.
  explicit Box(std::unique_ptr<Layout> layout = nullptr);
  ~Box() override;

  // False for null.
  bool Add(std::unique_ptr<Control> control);
  bool AddAt(std::unique_ptr<Control> control, size_t index);
  // Destroys the child, after it left the list. False when it is not a
  // child.
  bool Remove(Control* control);
  bool RemoveAt(size_t index);
  void RemoveAll();
  void PreloadImages() override;
  size_t GetCount() const { return items_.size(); }
  Control* GetItemAt(size_t index) const;
  int GetItemIndex(const Control* control) const;
  const ControlList& GetItems() const { return items_; }
  const ControlList& GetChildren() const override { return items_; }
  Box* AsBox() override { return this; }
  // Searches the subtree (not the box itself) by name.
  Control* FindSubControl(const std::wstring& name) const;

  Layout* GetLayout() const { return layout_.get(); }
  // Position less padding.
  RECT GetContentRect() const;

  bool IsMouseChildEnabled() const { return mouse_child_; }
  void SetMouseChildEnabled(bool enabled) { mouse_child_ = enabled; }

  void AttachBubbledEvent(EventType type, EventCallback callback);
  void AttachXmlBubbledEvent(EventType type, EventCallback callback);

  // Control overrides.
  // Both hand the window down to every descendant.
  void SetWindow(IControlHost* window) override;
  void SetWindow(IControlHost* window, Control* parent, bool init = true) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetPos(RECT rect) override;
  SIZE MeasureSize(int available_width, int available_height) override;
  Control* LocateControl(const FindControlProc& proc, POINT pt, UINT flags) override;
  void ApplyAttribute(const std::wstring& name, const std::wstring& value) override;
  void Paint(IRenderContext* render, const RECT& dirty) override;
  void PaintChildren(IRenderContext* render, const RECT& dirty) override;


 protected:
  // An event sent by a descendant (or by this box) reaches the box: bubbled
  // handlers, then the box's own handling, which bubbles further.
  void ReceiveEvent(EventArgs& event) override;

  ControlList items_;
  std::unique_ptr<Layout> layout_;
  bool mouse_child_ = true;
  HandlerMap bubbled_code_handlers_;
  HandlerMap bubbled_xml_handlers_;
};

class HBox : public Box {
 public:
  HBox();
};

class VBox : public Box {
 public:
  VBox();
};

}  // namespace ui
