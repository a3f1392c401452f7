#include "ui/box.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/control_host.h"

namespace ui {
namespace {

void RegisterNames(IControlHost* window, Control* control) {
  if (!control->GetName().empty()) window->RegisterControlName(control);
  if (Box* box = dynamic_cast<Box*>(control)) {
    for (Control* child : box->GetItems()) RegisterNames(window, child);
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

bool Box::Add(Control* control) { return AddAt(control, items_.size()); }

bool Box::AddAt(Control* control, size_t index) {
  if (!control) return false;
  if (window_) {
    control->SetWindow(window_, this, true);
    RegisterNames(window_, control);
  } else {
    // No window yet: the parent link must hold anyway, or events could not
    // bubble; the window comes with SetWindow later.
    control->SetWindow(control->GetWindow(), this, false);
  }
  if (IsVisible() && !IsHiddenByAncestor()) {
    Arrange();
  } else if (Box* box = dynamic_cast<Box*>(control)) {
    box->SetHiddenByAncestor(true);
    box->PropagateHidden(true);
  } else {
    control->SetHiddenByAncestor(true);
  }
  index = std::min(index, items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), control);
  return true;
}

bool Box::Remove(Control* control) {
  auto it = std::find(items_.begin(), items_.end(), control);
  if (it == items_.end()) return false;
  return RemoveAt(static_cast<size_t>(it - items_.begin()));
}

bool Box::RemoveAt(size_t index) {
  if (index >= items_.size()) return false;
  Control* control = items_[index];
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  delete control;
  Arrange();
  return true;
}

void Box::PreloadImages() {
  Control::PreloadImages();
  for (Control* item : items_) {
    if (item->IsVisible()) item->PreloadImages();
  }
}

void Box::RemoveAll() {
  std::vector<Control*> items;
  items.swap(items_);
  for (Control* control : items) delete control;
  if (!items.empty()) Arrange();
}

Control* Box::GetItemAt(size_t index) const {
  return index < items_.size() ? items_[index] : nullptr;
}

int Box::GetItemIndex(const Control* control) const {
  auto it = std::find(items_.begin(), items_.end(), control);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

Control* Box::FindSubControl(const std::wstring& name) const {
  for (Control* child : items_) {
    if (child->GetName() == name) return child;
    if (Box* box = dynamic_cast<Box*>(child)) {
      if (Control* found = box->FindSubControl(name)) return found;
    }
  }
  return nullptr;
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
  for (Control* child : items_) child->SetWindow(window, this, false);
  Control::SetWindow(window);
}

void Box::SetWindow(IControlHost* window, Box* parent, bool init) {
  for (Control* child : items_) child->SetWindow(window, this, init);
  Control::SetWindow(window, parent, init);
}

void Box::PropagateHidden(bool hidden) {
  for (Control* child : items_) {
    child->SetHiddenByAncestor(hidden);
    if (Box* box = dynamic_cast<Box*>(child)) box->PropagateHidden(hidden || !box->IsVisible());
  }
}

void Box::SetVisible(bool visible) {
  if (visible == visible_) return;
  Control::SetVisible(visible);
  PropagateHidden(!visible || IsHiddenByAncestor());
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
  for (Control* child : items_) {
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
      if (Control* found = try_child(*it)) return found;
    }
  } else {
    for (Control* child : items_) {
      if (Control* found = try_child(child)) return found;
    }
  }
  if (flags & kFindMeFirst) return nullptr;
  return Control::LocateControl(proc, pt, flags);
}

void Box::SendEvent(EventArgs& event) {
  if (event.type <= kEventInternalHotAlphaZero) {
    HandleEvent(event);
    return;
  }
  if (event.sender == this) {
    base::WeakFlagHandle alive = GetWeakFlag();
    if (!RunHandlers(code_handlers_, event, alive)) return;
    if (!RunHandlers(xml_handlers_, event, alive)) return;
  }
  HandleBubbledEvent(event);
}

void Box::HandleBubbledEvent(EventArgs& event) {
  base::WeakFlagHandle alive = GetWeakFlag();
  if (!RunHandlers(bubbled_code_handlers_, event, alive)) return;
  if (!RunHandlers(bubbled_xml_handlers_, event, alive)) return;
  HandleEvent(event);
}

void Box::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  if (layout_->ApplyAttribute(name, value)) return;
  if (name == L"mousechild") {
    SetMouseChildEnabled(ParseBoolAttribute(value));
    return;
  }
  Control::ApplyAttribute(name, value);
}

void Box::Paint(IRenderContext* render, const RECT& dirty) { Control::Paint(render, dirty); }

void Box::PaintChildren(IRenderContext* render, const RECT& dirty) {
  RECT meet;
  if (!::IntersectRect(&meet, &dirty, &pos_)) return;
  for (Control* child : items_) {
    if (child->IsVisible()) child->Paint(render, dirty);
  }
}

HBox::HBox() : Box(std::make_unique<HLayout>()) {}

VBox::VBox() : Box(std::make_unique<VLayout>()) {}

}  // namespace ui
namespace ui {
namespace {

void ArrangeMarked(Control* control) {
  if (!control->IsVisible()) return;
  if (control->NeedsLayout()) {
    // Setting the same position lays a box's children out again.
    control->SetPos(control->GetPos());
    return;
  }
  if (Box* box = dynamic_cast<Box*>(control)) {
    for (Control* child : box->GetItems()) ArrangeMarked(child);
  }
}

}  // namespace

void Box::ArrangePending(Control* root, const RECT& client) {
  if (!root) return;
  if (root->NeedsLayout() || !::EqualRect(&root->GetPos(), &client)) {
    root->SetPos(client);
    return;
  }
  ArrangeMarked(root);
}

}  // namespace ui
