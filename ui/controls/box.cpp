#include "ui/controls/box.h"

#include <algorithm>

#include "ui/controls/attribute_setters.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_tree.h"
#include "ui/resources/attribute_values.h"

namespace ui {
namespace {

// Tells the children of `control`, recursively, whether a hidden ancestor
// hides them.
void PropagateHidden(Control* control, bool hidden) {
  for (const std::unique_ptr<Control>& child : control->GetChildren()) {
    child->SetHiddenByAncestor(hidden);
    PropagateHidden(child.get(), hidden || !child->IsVisible());
  }
}

}  // namespace

Box::Box(std::unique_ptr<Layout> layout) : layout_(std::move(layout)) {
  if (!layout_) layout_ = std::make_unique<Layout>();
  layout_->SetOwner(this);
}

Box::~Box() {
  // Children first, while the window still knows this box.
  RemoveAll();
}

bool Box::Add(std::unique_ptr<Control> control) { return AddAt(std::move(control), items_.size()); }

bool Box::AddAt(std::unique_ptr<Control> control, size_t index) {
  if (!control) return false;
  if (window_) {
    control->SetWindow(window_, this, true);
    control_tree::ForEach(control.get(), [this](Control* c) {
      if (!c->GetName().empty()) window_->RegisterControlName(c);
    });
  } else {
    // No window yet: the parent link must hold anyway, or events could not
    // bubble; the window comes with SetWindow later.
    control->SetWindow(control->GetWindow(), this, false);
  }
  if (IsVisible() && !IsHiddenByAncestor()) {
    Arrange();
  } else {
    control->SetHiddenByAncestor(true);
    PropagateHidden(control.get(), true);
  }
  index = std::min(index, items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(control));
  return true;
}

bool Box::Remove(Control* control) {
  const int index = GetItemIndex(control);
  if (index < 0) return false;
  return RemoveAt(static_cast<size_t>(index));
}

bool Box::RemoveAt(size_t index) {
  if (index >= items_.size()) return false;
  // Out of the list before its destructor runs, which may walk the tree.
  std::unique_ptr<Control> control = std::move(items_[index]);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  control.reset();
  Arrange();
  return true;
}

void Box::PreloadImages() {
  Control::PreloadImages();
  for (const std::unique_ptr<Control>& item : items_) {
    if (item->IsVisible()) item->PreloadImages();
  }
}

void Box::RemoveAll() {
  // The list is empty while the children's destructors run, front to back.
  ControlList items;
  items.swap(items_);
  for (std::unique_ptr<Control>& control : items) control.reset();
  if (!items.empty()) Arrange();
}

Control* Box::GetItemAt(size_t index) const {
  return index < items_.size() ? items_[index].get() : nullptr;
}

int Box::GetItemIndex(const Control* control) const {
  auto it = std::find_if(items_.begin(), items_.end(),
                         [control](const std::unique_ptr<Control>& item) { return item.get() == control; });
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

Control* Box::FindSubControl(const std::wstring& name) const {
  Control* found = nullptr;
  for (const std::unique_ptr<Control>& child : items_) {
    control_tree::Walk(child.get(), control_tree::HiddenControls::kVisit, [&](Control* c) {
      if (!found && c->GetName() == name) found = c;
      return found ? control_tree::Descend::kNo : control_tree::Descend::kYes;
    });
    if (found) break;
  }
  return found;
}

RECT Box::GetContentRect() const {
  const RECT& p = layout_->GetPadding();
  return RECT{pos_.left + p.left, pos_.top + p.top, pos_.right - p.right, pos_.bottom - p.bottom};
}

void Box::AttachBubbledEvent(EventType type, EventCallback callback) {
  bubbled_code_handlers_[type].push_back(std::move(callback));
}

void Box::AttachXmlBubbledEvent(EventType type, EventCallback callback) {
  bubbled_xml_handlers_[type].push_back(std::move(callback));
}

void Box::SetWindow(IControlHost* window) {
  for (const std::unique_ptr<Control>& child : items_) child->SetWindow(window, this, false);
  Control::SetWindow(window);
}

void Box::SetWindow(IControlHost* window, Control* parent, bool init) {
  for (const std::unique_ptr<Control>& child : items_) child->SetWindow(window, this, init);
  Control::SetWindow(window, parent, init);
}

void Box::SetVisible(bool visible) {
  if (visible == visible_) return;
  Control::SetVisible(visible);
  PropagateHidden(this, !visible || IsHiddenByAncestor());
}

void Box::SetEnabled(bool enabled) {
  // Children keep their own enabled flag; a disabled box only stops itself.
  Control::SetEnabled(enabled);
}

void Box::SetPos(RECT rect) {
  if (!StorePos(rect)) return;
  if (items_.empty()) return;
  layout_->ArrangeChild(items_, GetContentRect());
}

SIZE Box::MeasureSize(int available_width, int available_height) {
  if (!IsAutoWidth() && !IsAutoHeight()) return SIZE{fixed_width_, fixed_height_};
  if (!needs_estimate_) return estimate_size_;
  const RECT& p = layout_->GetPadding();
  SIZE children = layout_->MeasureChild(items_, available_width - p.left - p.right,
                                        available_height - p.top - p.bottom);
  estimate_size_.cx = IsAutoWidth() ? children.cx : fixed_width_;
  estimate_size_.cy = IsAutoHeight() ? children.cy : fixed_height_;
  // A child whose own estimate is still open (wrapping text measures again
  // next time) keeps this one open too.
  needs_estimate_ = false;
  for (const std::unique_ptr<Control>& child : items_) {
    if (child->IsVisible() && (child->IsAutoWidth() || child->IsAutoHeight()) &&
        child->IsEstimateStale()) {
      needs_estimate_ = true;
      break;
    }
  }
  return estimate_size_;
}

Control* Box::LocateControl(const FindControlProc& proc, POINT pt, UINT flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  if (flags & kFindHitTest) {
    if (!::PtInRect(&pos_, pt)) return nullptr;
    if (!mouse_child_) return Control::LocateControl(proc, pt, flags);
  }
  if (flags & kFindMeFirst) {
    if (Control* me = Control::LocateControl(proc, pt, flags)) return me;
  }
  const RECT content = GetContentRect();
  auto try_child = [&](Control* child) -> Control* {
    Control* found = child->LocateControl(proc, pt, flags);
    if (!found) return nullptr;
    if (!(flags & kFindHitTest) || child->IsFloat() || ::PtInRect(&content, pt)) return found;
    return nullptr;
  };
  if (flags & kFindTopFirst) {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
      if (Control* found = try_child(it->get())) return found;
    }
  } else {
    for (const std::unique_ptr<Control>& child : items_) {
      if (Control* found = try_child(child.get())) return found;
    }
  }
  if (flags & kFindMeFirst) return nullptr;
  return Control::LocateControl(proc, pt, flags);
}

void Box::ReceiveEvent(EventArgs& event) {
  base::WeakFlagHandle alive = GetWeakFlag();
  if (!RunHandlers(bubbled_code_handlers_, event, alive)) return;
  if (!RunHandlers(bubbled_xml_handlers_, event, alive)) return;
  HandleEvent(event);
}

void Box::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  // The layout's attributes first: a box takes them as its own.
  if (layout_->ApplyAttribute(name, value)) return;
  static const attribute_setters::Table<Box> kSetters = {
      {L"mousechild", attribute_setters::Bool<Box, &Box::SetMouseChildEnabled>},
  };
  if (!attribute_setters::Apply(kSetters, *this, name, value)) Control::ApplyAttribute(name, value);
}

void Box::Paint(IRenderContext* render, const RECT& dirty) { Control::Paint(render, dirty); }

void Box::PaintChildren(IRenderContext* render, const RECT& dirty) {
  RECT meet;
  if (!::IntersectRect(&meet, &dirty, &pos_)) return;
  for (const std::unique_ptr<Control>& child : items_) {
    if (child->IsVisible()) child->Paint(render, dirty);
  }
}

HBox::HBox() : Box(std::make_unique<HLayout>()) {}

VBox::VBox() : Box(std::make_unique<VLayout>()) {}

}  // namespace ui
