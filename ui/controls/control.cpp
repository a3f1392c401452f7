#include "ui/controls/control.h"

#include <algorithm>
#include <memory>

#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/render/render_context.h"

namespace ui {
namespace {

bool IsAncestorOf(const Control* ancestor, const Control* control) {
  for (const Control* c = control; c; c = c->GetParent()) {
    if (c == ancestor) return true;
  }
  return false;
}

}  // namespace

Control::Control() = default;

Control::~Control() {
  StopHotFade();
  // The window must not keep pointers (name map, hover, focus, pressed) to a
  // control that is gone.
  if (window_) window_->UnregisterControl(this);
}

// --- window and parent ---------------------------------------------------

void Control::SetWindow(IControlHost* window) { window_ = window; }

void Control::SetWindow(IControlHost* window, Control* parent, bool init) {
  window_ = window;
  parent_ = parent;
  if (init && parent) Init();
}

const ControlList& Control::GetChildren() const {
  static const ControlList kNoChildren;
  return kNoChildren;
}

void Control::Init() {
  if (inited_) return;
  inited_ = true;
}

// --- size and position ---------------------------------------------------

ImageSpec* Control::GetSizingImage() {
  if (bk_image_.HasFile()) return &bk_image_;
  for (auto& spec : state_images_) {
    if (spec.HasFile()) return &spec;
  }
  return nullptr;
}

SIZE Control::MeasureSize(int available_width, int available_height) {
  if (!IsAutoWidth() && !IsAutoHeight()) return SIZE{fixed_width_, fixed_height_};
  if (!needs_estimate_) return estimate_size_;

  SIZE size{fixed_width_, fixed_height_};
  if (ImageSpec* image = GetSizingImage()) {
    if (image->HasSource()) {
      // A source rectangle fixes the size for good: the control is no
      // longer auto-sized.
      fixed_width_ = image->source.right - image->source.left;
      fixed_height_ = image->source.bottom - image->source.top;
      estimate_size_ = SIZE{fixed_width_, fixed_height_};
      needs_estimate_ = false;
      return estimate_size_;
    }
    if (LoadImage(*image)) {
      ImageFrame frame = control_resources::GetFrame(*image->image);
      if (IsAutoWidth()) size.cx = frame.width;
      if (IsAutoHeight()) size.cy = frame.height;
    }
  }
  SIZE text = EstimateText(available_width, available_height);
  if (IsAutoWidth()) size.cx = std::max(size.cx, text.cx);
  if (IsAutoHeight()) size.cy = std::max(size.cy, text.cy);
  estimate_size_ = size;
  needs_estimate_ = false;
  return size;
}

void Control::ArrangeAncestor() {
  needs_estimate_ = true;
  if (!window_ || !window_->GetRoot()) {
    if (parent_)
      parent_->Arrange();
    else
      Arrange();
    return;
  }
  // An auto-sized ancestor changes size with its content, so the layout
  // must start above it: at the first ancestor whose size is fixed or
  // stretching, or at the root.
  Control* ancestor = parent_;
  while (ancestor && (ancestor->IsAutoWidth() || ancestor->IsAutoHeight())) {
    ancestor->SetEstimateStale();
    ancestor = ancestor->GetParent();
  }
  if (ancestor)
    ancestor->Arrange();
  else
    window_->GetRoot()->Arrange();
}

void Control::SetPos(RECT rect) { StorePos(rect); }

bool Control::StorePos(RECT rect) {
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  if (::EqualRect(&rect, &pos_)) {
    needs_layout_ = false;
    return true;
  }
  RECT old = pos_;
  pos_ = rect;
  needs_layout_ = false;
  if (!window_) return true;

  if (!sending_resize_) {
    sending_resize_ = true;
    base::WeakFlagHandle alive = GetWeakFlag();
    SendEvent(kEventResize);
    if (alive.expired()) return false;
    sending_resize_ = false;
  }

  // Repaint where the control was and where it is now, but only what its
  // ancestors let show.
  RECT dirty;
  ::UnionRect(&dirty, &old, &pos_);
  for (Control* p = parent_; p; p = p->GetParent()) {
    RECT clipped;
    if (!::IntersectRect(&clipped, &dirty, &p->GetPos())) return true;
    dirty = clipped;
  }
  window_->Invalidate(dirty);
  return true;
}

// --- flags -----------------------------------------------------------------

void Control::SetToolTipText(const std::wstring& text) { tooltip_text_ = text; }
void Control::SetToolTipTextId(const std::wstring& id) { tooltip_text_id_ = id; }
void Control::SetDataId(const std::wstring& id) { data_id_ = id; }

std::wstring Control::GetToolTipText() const {
  if (!tooltip_text_.empty() || tooltip_text_id_.empty()) return tooltip_text_;
  return control_resources::LookupString(tooltip_text_id_);
}

void Control::SetFadeVisible(bool visible) {
  // The fade itself is not animated; the visibility change is the same.
  SetVisible(visible);
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  // Rearranging goes through the ancestors, which skip invisible controls,
  // so repaint the old area before the flag changes.
  Invalidate();
  visible_ = visible;
  if (!visible && window_ && window_->GetFocusControl() &&
      IsAncestorOf(this, window_->GetFocusControl())) {
    window_->SetFocusControl(nullptr);
  }
  ArrangeAncestor();
}

bool Control::IsActivatable() const { return IsVisible() && IsEnabled(); }

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  state_ = enabled ? kControlStateNormal : kControlStateDisabled;
  hot_alpha_ = 0;
  pressed_holder_ = false;
  Invalidate();
}

void Control::SetMouseEnabled(bool enabled) { mouse_enabled_ = enabled; }
void Control::SetKeyboardEnabled(bool enabled) { keyboard_enabled_ = enabled; }

void Control::SetAlpha(int alpha) {
  alpha = std::clamp(alpha, 0, 255);
  if (alpha == alpha_) return;
  alpha_ = alpha;
  Invalidate();
}

void Control::SetRenderOffset(POINT offset) {
  render_offset_ = offset;
  Invalidate();
}

void Control::SetState(ControlStateType state) {
  if (state == kControlStateNormal) hot_alpha_ = 0;
  if (state == kControlStateHot) hot_alpha_ = 255;
  state_ = state;
  Invalidate();
}

void Control::SetHotAlpha(int alpha) {
  hot_alpha_ = std::clamp(alpha, 0, 255);
  Invalidate();
}

// --- hit testing -----------------------------------------------------------

Control* Control::LocateControl(const FindControlProc& proc, POINT pt, UINT flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  if ((flags & kFindHitTest) && (!IsPointIn(pt) || !mouse_enabled_)) return nullptr;
  return proc ? proc(this) : this;
}

void Control::SetMargin(RECT margin, bool dpi_scale) {
  if (dpi_scale) margin = control_resources::ScaleRectForDpi(margin);
  if (::EqualRect(&margin, &margin_)) return;
  margin_ = margin;
  ArrangeAncestor();
}

SIZE Control::EstimateText(int, int) { return SIZE{0, 0}; }

bool Control::IsPointIn(POINT pt) const { return ::PtInRect(&pos_, pt) != FALSE; }

// --- events ------------------------------------------------------------------

bool Control::RunHandlers(const HandlerMap& map, EventArgs& event,
                          const base::WeakFlagHandle& alive) {
  for (int type : {static_cast<int>(event.type), static_cast<int>(kEventAll)}) {
    auto it = map.find(type);
    if (it == map.end()) continue;
    // A handler may attach more handlers; run a copy of the list as it was.
    std::vector<EventCallback> handlers = it->second;
    for (auto& handler : handlers) {
      if (!handler) continue;
      bool go_on = handler(&event);
      if (alive.expired() || !go_on) return false;
    }
    if (event.type == kEventAll) break;  // kEventAll's list runs only once
  }
  return true;
}

void Control::SendEvent(EventArgs& event) {
  if (event.type <= kEventInternalHotAlphaZero) {
    HandleEvent(event);
    return;
  }
  if (event.sender == this) {
    base::WeakFlagHandle alive = GetWeakFlag();
    if (!RunHandlers(code_handlers_, event, alive)) return;
    if (!RunHandlers(xml_handlers_, event, alive)) return;
  }
  ReceiveEvent(event);
}

void Control::SendEvent(EventType type, WPARAM w, LPARAM l, wchar_t key, POINT mouse) {
  EventArgs event(type, this, w, l);
  event.timestamp = ::GetTickCount();
  event.keyChar = key;
  event.mousePoint = mouse;
  if (mouse.x == LONG_MIN) {
    event.mousePoint = window_ ? window_->GetLastMousePos() : POINT{0, 0};
  }
  SendEvent(event);
}

void Control::AttachEvent(EventType type, EventCallback callback) {
  code_handlers_[type].push_back(std::move(callback));
}

void Control::AttachXmlEvent(EventType type, EventCallback callback) {
  xml_handlers_[type].push_back(std::move(callback));
}

void Control::DetachEvent(EventType type) {
  code_handlers_.erase(type);
  xml_handlers_.erase(type);
}

bool Control::HasEventHandlers(EventType type) const {
  return code_handlers_.count(type) != 0 || xml_handlers_.count(type) != 0;
}

void Control::BubbleToParent(EventArgs& event) {
  if (parent_) parent_->ReceiveEvent(event);
}

void Control::HandleEvent(EventArgs& event) {
  const int type = event.type;
  if (!IsEnabled() && IsMouseEventType(type)) {
    BubbleToParent(event);
    return;
  }
  switch (type) {
    case kEventInternalButtonDown:
    case kEventMouseButtonDown:
      ButtonDown(event);
      return;
    case kEventMouseButtonUp:
      ButtonUp(event);
      return;
    case kEventPointerDown:
      if (receive_pointer_) {
        ButtonDown(event);
        return;
      }
      break;
    case kEventPointerUp:
      if (receive_pointer_) {
        ButtonUp(event);
        return;
      }
      break;
    case kEventMouseEnter:
      if (event.sender != this && window_ &&
          !IsAncestorOf(this, window_->GetMouseOverControl())) {
        return;
      }
      MouseEnter(event);
      break;
    case kEventMouseLeave:
      if (event.sender != this && window_ && IsAncestorOf(this, window_->GetMouseOverControl())) {
        return;
      }
      MouseLeave(event);
      break;
    case kEventInternalHotAlphaFull:
      SetHotAlpha(255);
      return;
    case kEventInternalHotAlphaZero:
      SetHotAlpha(0);
      return;
    case kEventSetCursor: {
      LPCWSTR cursor = IDC_ARROW;
      if (cursor_ == CursorType::kHand && IsEnabled()) cursor = IDC_HAND;
      if (cursor_ == CursorType::kIBeam) cursor = IDC_IBEAM;
      ::SetCursor(::LoadCursorW(nullptr, cursor));
      return;
    }
    case kEventInternalMenu:
      if (IsEnabled() && context_menu_ && window_) window_->SendMenuEvent(this);
      return;
    default:
      break;
  }
  BubbleToParent(event);
}

bool Control::MouseEnter(EventArgs&) {
  if (!IsEnabled()) return false;
  if (state_ == kControlStateNormal) {
    state_ = kControlStateHot;
    if (!state_colors_[kControlStateHot].empty() || state_images_[kControlStateHot].HasFile()) {
      if (fade_hot_)
        StartHotFade(true);
      else
        hot_alpha_ = 255;
      Invalidate();
    }
    return true;
  }
  return false;
}

bool Control::MouseLeave(EventArgs&) {
  if (!IsEnabled()) return false;
  if (state_ == kControlStateHot) {
    state_ = kControlStateNormal;
    if (!state_colors_[kControlStateHot].empty() || state_images_[kControlStateHot].HasFile()) {
      if (fade_hot_)
        StartHotFade(false);
      else
        hot_alpha_ = 0;
      Invalidate();
    }
    return true;
  }
  return false;
}

bool Control::ButtonDown(EventArgs&) {
  if (!IsEnabled()) return false;
  state_ = kControlStatePushed;
  pressed_holder_ = true;
  Invalidate();
  return true;
}

bool Control::ButtonUp(EventArgs& event) {
  if (!IsEnabled() || !pressed_holder_) return false;
  pressed_holder_ = false;
  StopHotFade();
  Invalidate();
  POINT pt = event.mousePoint;
  POINT offset = GetScrollOffset();
  pt.x += offset.x;
  pt.y += offset.y;
  if (!IsPointIn(pt)) {
    state_ = kControlStateNormal;
    hot_alpha_ = 0;
    return true;
  }
  if (event.type == kEventPointerUp) {
    state_ = kControlStateNormal;
    hot_alpha_ = 0;
  } else {
    state_ = kControlStateHot;
    hot_alpha_ = 255;
  }
  Trigger();
  return true;
}

// --- look --------------------------------------------------------------------

void Control::SetBkColor(const std::wstring& color) {
  if (color == bk_color_) return;
  bk_color_ = color;
  Invalidate();
}

void Control::SetStateColor(ControlStateType state, const std::wstring& color) {
  if (color == state_colors_[state]) return;
  state_colors_[state] = color;
  Invalidate();
}

void Control::SetBorderColor(const std::wstring& color) {
  if (color == border_color_) return;
  border_color_ = color;
  Invalidate();
}

void Control::SetBorderSize(int size) {
  border_size_ = control_resources::ScaleForDpi(size);
  border_sizes_ = RECT{0, 0, 0, 0};
  Invalidate();
}

void Control::SetBorderSizes(RECT sizes) {
  border_sizes_ = sizes;
  Invalidate();
}

void Control::SetBorderRound(SIZE round) {
  border_round_ = round;
  Invalidate();
}

void Control::SetBkImage(const std::wstring& image) {
  bk_image_.SetImageString(image);
  needs_estimate_ = true;
  if (IsAutoWidth() || IsAutoHeight()) ArrangeAncestor();
  else Invalidate();
}

std::wstring Control::GetStateImage(ControlStateType state) const {
  return state_images_[state].imageString;
}

void Control::SetStateImage(ControlStateType state, const std::wstring& image) {
  state_images_[state].SetImageString(image);
  needs_estimate_ = true;
  if (IsAutoWidth() || IsAutoHeight()) ArrangeAncestor();
  else Invalidate();
}

std::wstring Control::GetForeStateImage(ControlStateType state) const {
  return fore_state_images_[state].imageString;
}

void Control::SetForeStateImage(ControlStateType state, const std::wstring& image) {
  fore_state_images_[state].SetImageString(image);
  Invalidate();
}

}  // namespace ui
