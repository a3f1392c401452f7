#include "ui/control.h"

#include <algorithm>
#include <memory>

#include "ui/attribute_values.h"
#include "ui/box.h"
#include "ui/control_host.h"
#include "ui/control_resources.h"
#include "ui/render_context.h"

namespace ui {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

RECT ScaleRect(RECT r) {
  r.left = control_resources::ScaleForDpi(r.left);
  r.top = control_resources::ScaleForDpi(r.top);
  r.right = control_resources::ScaleForDpi(r.right);
  r.bottom = control_resources::ScaleForDpi(r.bottom);
  return r;
}

// "stretch", "auto" or a number.
int ParseSizeValue(const std::wstring& value) {
  if (value == L"stretch") return kSizeStretch;
  if (value == L"auto") return kSizeAuto;
  return ParseIntAttribute(value);
}

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

void Control::SetWindow(IControlHost* window, Box* parent, bool init) {
  window_ = window;
  parent_ = parent;
  if (init && parent) Init();
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
  if (dpi_scale) margin = ScaleRect(margin);
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
  HandleEvent(event);
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
  if (parent_) parent_->HandleBubbledEvent(event);
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

// --- attributes --------------------------------------------------------------

void Control::ApplyAttributeText(const std::wstring& text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n) break;
    size_t name_start = i;
    while (i < n && text[i] != L'=' && !IsBlank(text[i])) ++i;
    std::wstring name = text.substr(name_start, i - name_start);
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n || text[i] != L'=') return;
    ++i;
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n || text[i] != L'"') return;
    ++i;
    size_t value_end = text.find(L'"', i);
    if (value_end == std::wstring::npos) return;
    std::wstring value = text.substr(i, value_end - i);
    i = value_end + 1;
    ApplyAttribute(name, value);
  }
}

void Control::ApplyClass(const std::wstring& class_names) {
  size_t i = 0;
  while (i < class_names.size()) {
    while (i < class_names.size() && IsBlank(class_names[i])) ++i;
    size_t start = i;
    while (i < class_names.size() && !IsBlank(class_names[i])) ++i;
    if (i == start) break;
    std::wstring name = class_names.substr(start, i - start);
    // A skin's class a -> b -> a would expand without end.
    if (std::find(classes_in_expansion_.begin(), classes_in_expansion_.end(), name) !=
        classes_in_expansion_.end())
      continue;
    std::wstring attributes = control_resources::LookupClass(name);
    if (attributes.empty() && window_) attributes = window_->GetClassAttributes(name);
    if (attributes.empty()) continue;
    classes_in_expansion_.push_back(name);
    ApplyAttributeText(attributes);
    classes_in_expansion_.pop_back();
  }
}

void Control::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"class") {
    ApplyClass(value);
  } else if (name == L"halign") {
    if (value == L"left") SetHorAlign(HorAlign::kLeft);
    else if (value == L"center") SetHorAlign(HorAlign::kCenter);
    else if (value == L"right") SetHorAlign(HorAlign::kRight);
  } else if (name == L"valign") {
    if (value == L"top") SetVerAlign(VerAlign::kTop);
    else if (value == L"center") SetVerAlign(VerAlign::kCenter);
    else if (value == L"bottom") SetVerAlign(VerAlign::kBottom);
  } else if (name == L"margin") {
    SetMargin(ParseRectAttribute(value));
  } else if (name == L"bkcolor" || name == L"bkcolor1") {
    size_t start = value.find_first_not_of(L' ');
    SetBkColor(start == std::wstring::npos ? std::wstring() : value.substr(start));
  } else if (name == L"bordersize") {
    if (value.find(L',') == std::wstring::npos) {
      SetBorderSize(ParseIntAttribute(value));
    } else {
      SetBorderSizes(ScaleRect(ParseRectAttribute(value)));
    }
  } else if (name == L"borderround") {
    SIZE round = ParsePairAttribute(value);
    round.cx = control_resources::ScaleForDpi(round.cx);
    round.cy = control_resources::ScaleForDpi(round.cy);
    SetBorderRound(round);
  } else if (name == L"width") {
    SetFixedWidth(ParseSizeValue(value));
  } else if (name == L"height") {
    SetFixedHeight(ParseSizeValue(value));
  } else if (name == L"minwidth") {
    SetMinWidth(control_resources::ScaleForDpi(ParseIntAttribute(value)));
  } else if (name == L"minheight") {
    SetMinHeight(control_resources::ScaleForDpi(ParseIntAttribute(value)));
  } else if (name == L"maxwidth") {
    int v = ParseSizeValue(value);
    SetMaxWidth(v > 0 ? control_resources::ScaleForDpi(v) : v);
  } else if (name == L"maxheight") {
    int v = ParseSizeValue(value);
    SetMaxHeight(v > 0 ? control_resources::ScaleForDpi(v) : v);
  } else if (name == L"state") {
    if (value == L"normal") SetState(kControlStateNormal);
    else if (value == L"hot") SetState(kControlStateHot);
    else if (value == L"pushed") SetState(kControlStatePushed);
    else if (value == L"disabled") SetState(kControlStateDisabled);
  } else if (name == L"cursortype") {
    if (value == L"arrow") SetCursorType(CursorType::kArrow);
    else if (value == L"hand") SetCursorType(CursorType::kHand);
    else if (value == L"ibeam") SetCursorType(CursorType::kIBeam);
  } else if (name == L"renderoffset") {
    SIZE offset = ParsePairAttribute(value);
    SetRenderOffset(POINT{control_resources::ScaleForDpi(offset.cx),
                          control_resources::ScaleForDpi(offset.cy)});
  } else if (name == L"normalcolor") {
    SetStateColor(kControlStateNormal, value);
  } else if (name == L"hotcolor") {
    SetStateColor(kControlStateHot, value);
  } else if (name == L"pushedcolor") {
    SetStateColor(kControlStatePushed, value);
  } else if (name == L"disabledcolor") {
    SetStateColor(kControlStateDisabled, value);
  } else if (name == L"bordercolor") {
    SetBorderColor(value);
  } else if (name == L"leftbordersize") {
    RECT r = border_sizes_;
    r.left = control_resources::ScaleForDpi(ParseIntAttribute(value));
    SetBorderSizes(r);
  } else if (name == L"topbordersize") {
    RECT r = border_sizes_;
    r.top = control_resources::ScaleForDpi(ParseIntAttribute(value));
    SetBorderSizes(r);
  } else if (name == L"rightbordersize") {
    RECT r = border_sizes_;
    r.right = control_resources::ScaleForDpi(ParseIntAttribute(value));
    SetBorderSizes(r);
  } else if (name == L"bottombordersize") {
    RECT r = border_sizes_;
    r.bottom = control_resources::ScaleForDpi(ParseIntAttribute(value));
    SetBorderSizes(r);
  } else if (name == L"bkimage") {
    SetBkImage(value);
  } else if (name == L"normalimage") {
    SetStateImage(kControlStateNormal, value);
  } else if (name == L"hotimage") {
    SetStateImage(kControlStateHot, value);
  } else if (name == L"pushedimage") {
    SetStateImage(kControlStatePushed, value);
  } else if (name == L"disabledimage") {
    SetStateImage(kControlStateDisabled, value);
  } else if (name == L"forenormalimage") {
    SetForeStateImage(kControlStateNormal, value);
  } else if (name == L"forehotimage") {
    SetForeStateImage(kControlStateHot, value);
  } else if (name == L"forepushedimage") {
    SetForeStateImage(kControlStatePushed, value);
  } else if (name == L"foredisabledimage") {
    SetForeStateImage(kControlStateDisabled, value);
  } else if (name == L"name") {
    SetName(value);
  } else if (name == L"tooltiptext") {
    SetToolTipText(value);
  } else if (name == L"tooltiptextid") {
    SetToolTipTextId(value);
  } else if (name == L"dataid") {
    SetDataId(value);
  } else if (name == L"enabled") {
    SetEnabled(ParseBoolAttribute(value));
  } else if (name == L"mouse") {
    SetMouseEnabled(ParseBoolAttribute(value));
  } else if (name == L"keyboard") {
    SetKeyboardEnabled(ParseBoolAttribute(value));
  } else if (name == L"visible") {
    SetVisible(ParseBoolAttribute(value));
  } else if (name == L"fadevisible") {
    SetFadeVisible(ParseBoolAttribute(value));
  } else if (name == L"menu") {
    SetContextMenuUsed(ParseBoolAttribute(value));
  } else if (name == L"float") {
    SetFloat(ParseBoolAttribute(value));
  } else if (name == L"cache") {
    SetCacheEnabled(ParseBoolAttribute(value));
  } else if (name == L"nofocus") {
    SetNoFocus();
  } else if (name == L"alpha") {
    SetAlpha(ParseIntAttribute(value));
  } else if (name == L"fadealpha") {
    fade_alpha_ = ParseBoolAttribute(value);
  } else if (name == L"fadehot") {
    fade_hot_ = ParseBoolAttribute(value);
  } else if (name == L"fadewidth") {
    fade_width_ = ParseBoolAttribute(value);
  } else if (name == L"fadeheight") {
    fade_height_ = ParseBoolAttribute(value);
  } else if (name == L"fadeinoutxfromleft") {
    fade_in_out_x_from_left_ = ParseBoolAttribute(value);
  } else if (name == L"fadeinoutxfromright") {
    fade_in_out_x_from_right_ = ParseBoolAttribute(value);
  } else if (name == L"fadeinoutyfromtop") {
    fade_in_out_y_from_top_ = ParseBoolAttribute(value);
  } else if (name == L"fadeinoutyfrombottom") {
    fade_in_out_y_from_bottom_ = ParseBoolAttribute(value);
  } else if (name == L"receivepointer") {
    SetReceivePointer(ParseBoolAttribute(value));
  }
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

// --- painting ----------------------------------------------------------------

std::wstring Control::ResolveImagePath(const std::wstring& file) const {
  bool absolute = (file.size() >= 2 && file[1] == L':') ||
                  (!file.empty() && (file[0] == L'\\' || file[0] == L'/'));
  if (absolute) return file;
  std::wstring path = control_resources::GetResourcePath();
  if (window_) path += window_->GetResourceSubPath();
  return path + file;
}

bool Control::LoadImage(ImageSpec& spec) {
  if (!spec.HasFile()) return false;
  if (spec.image) return true;
  spec.image = control_resources::LookupImage(ResolveImagePath(spec.file));
  if (!spec.image) {
    // Not tried again: the attribute is dropped as if it had never been set.
    spec.Clear();
    return false;
  }
  return true;
}

void Control::PreloadImages() {
  LoadImage(bk_image_);
  for (ImageSpec* images : {state_images_, fore_state_images_}) {
    LoadImage(images[kControlStateNormal]);
    LoadImage(images[state_]);
  }
}

bool Control::DrawImage(IRenderContext* render, ImageSpec& spec, const std::wstring& modifier,
                        int fade) {
  if (!render || !spec.HasFile()) return false;
  if (!LoadImage(spec)) return false;
  const ImageSpec* use = &spec;
  ImageSpec modified;
  if (!modifier.empty()) {
    modified = spec;
    modified.ApplyModifiers(modifier);
    use = &modified;
  }
  ImageFrame frame = control_resources::GetFrame(*spec.image);
  if (!frame.bitmap) return false;

  RECT dest = pos_;
  if (use->HasDest()) {
    RECT d = use->dest;
    if (use->destScale) d = ScaleRect(d);
    dest = RECT{pos_.left + d.left, pos_.top + d.top, pos_.left + d.right, pos_.top + d.bottom};
  }
  RECT source{0, 0, frame.width, frame.height};
  if (use->HasSource()) source = use->source;
  int opacity = fade >= 0 ? fade : use->fade;
  opacity = std::clamp(opacity, 0, 255);
  RECT check;
  if (!::IntersectRect(&check, &dest, &paint_rect_)) return false;
  render->DrawImage(paint_rect_, frame.bitmap, frame.hasAlpha, dest, source, use->corner,
                    static_cast<BYTE>(opacity), use->xTiled, use->yTiled);
  return true;
}

void Control::Paint(IRenderContext* render, const RECT& dirty) {
  if (!render) return;
  if (!::IntersectRect(&paint_rect_, &dirty, &pos_)) return;
  if (alpha_ == 0) return;
  if (alpha_ < 255 && !painting_layer_) {
    PaintWithAlpha(render, dirty);
    return;
  }
  const bool round = border_round_.cx > 0 || border_round_.cy > 0;
  if (round) {
    render->SetClip(pos_);
    render->SetRoundClip(pos_, border_round_.cx, border_round_.cy);
  }
  PaintBkColor(render);
  PaintBkImage(render);
  PaintStatusColor(render);
  PaintStatusImage(render);
  PaintText(render);
  PaintBorder(render);
  PaintChildren(render, dirty);
  if (round) {
    render->ClearClip();
    render->ClearClip();
  }
}

void Control::PaintWithAlpha(IRenderContext* render, const RECT& dirty) {
  const RECT paint = paint_rect_;
  const int w = GetWidth(), h = GetHeight();
  std::unique_ptr<IRenderContext> layer = control_resources::CreateRenderContext();
  if (!layer || !layer->Resize(w, h)) {
    painting_layer_ = true;
    Paint(render, dirty);
    painting_layer_ = false;
    return;
  }
  // The layer keeps per-pixel alpha so the blend below treats what the
  // control left empty as see-through.
  layer->SetRenderTransparent(true);
  layer->SetWindowOrg(POINT{pos_.left, pos_.top});
  painting_layer_ = true;
  Paint(layer.get(), paint);
  painting_layer_ = false;
  layer->SetWindowOrg(POINT{0, 0});
  ::GdiFlush();
  render->AlphaBlend(paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top,
                     layer->GetDC(), paint.left - pos_.left, paint.top - pos_.top,
                     paint.right - paint.left, paint.bottom - paint.top,
                     static_cast<BYTE>(alpha_));
}

void Control::StartHotFade(bool forward) {
  hot_fade_forward_ = forward;
  if (!window_) {
    hot_alpha_ = forward ? 255 : 0;
    return;
  }
  if (hot_fade_timer_) return;  // already running; it turns round
  hot_fade_timer_ = window_->StartTimer(ToWeakCallback([this] { StepHotFade(); }), 50, true);
  if (!hot_fade_timer_) hot_alpha_ = forward ? 255 : 0;
}

void Control::StepHotFade() {
  // Five steps of 50 ms from one end to the other.
  const int target = hot_fade_forward_ ? 255 : 0;
  hot_alpha_ = hot_fade_forward_ ? std::min(255, hot_alpha_ + 51) : std::max(0, hot_alpha_ - 51);
  Invalidate();
  if (hot_alpha_ == target) StopHotFade();
}

void Control::StopHotFade() {
  if (hot_fade_timer_ && window_) window_->StopTimer(hot_fade_timer_);
  hot_fade_timer_ = 0;
}

void Control::PaintBkColor(IRenderContext* render) {
  DWORD color = control_resources::LookupColor(bk_color_);
  if (color == 0) return;
  if ((color >> 24) == 0xFF)
    render->FillRect(paint_rect_, color);
  else
    render->FillRect(pos_, color);
}

void Control::PaintBkImage(IRenderContext* render) { DrawImage(render, bk_image_); }

void Control::PaintStatusColor(IRenderContext* render) {
  ControlStateType state = state_;
  if (fade_hot_ && (state == kControlStateNormal || state == kControlStateHot)) {
    DWORD normal = control_resources::LookupColor(state_colors_[kControlStateNormal]);
    if (normal) render->FillRect(paint_rect_, normal);
    DWORD hot = control_resources::LookupColor(state_colors_[kControlStateHot]);
    if (hot && hot_alpha_ > 0) render->FillRect(paint_rect_, hot, static_cast<BYTE>(hot_alpha_));
    return;
  }
  if (state == kControlStatePushed && state_colors_[kControlStatePushed].empty())
    state = kControlStateHot;
  if (state == kControlStateHot && state_colors_[kControlStateHot].empty())
    state = kControlStateNormal;
  if (state == kControlStateDisabled && state_colors_[kControlStateDisabled].empty())
    state = kControlStateNormal;
  DWORD color = control_resources::LookupColor(state_colors_[state]);
  if (color) render->FillRect(paint_rect_, color);
}

void Control::PaintStateImages(IRenderContext* render, ImageSpec* images) {
  ImageSpec& normal = images[kControlStateNormal];
  ImageSpec& hot = images[kControlStateHot];
  if (fade_hot_ && (state_ == kControlStateNormal || state_ == kControlStateHot) &&
      normal.HasFile() && hot.HasFile()) {
    if (normal.SameLook(hot)) {
      // h = hot alpha / 255, kept in integers: hot fade * h + normal fade * (1 - h).
      int fade = (hot.fade * hot_alpha_ + normal.fade * (255 - hot_alpha_)) / 255;
      DrawImage(render, normal, L"", fade);
    } else {
      DrawImage(render, normal);
      if (hot_alpha_ > 0) DrawImage(render, hot, L"", hot.fade * hot_alpha_ / 255);
    }
    return;
  }
  ControlStateType state = state_;
  if (state == kControlStatePushed && !images[kControlStatePushed].HasFile()) {
    state = kControlStateHot;
    images[kControlStatePushed].fade = 255;
  }
  if (state == kControlStateHot && !images[kControlStateHot].HasFile()) state = kControlStateNormal;
  if (state == kControlStateDisabled && !images[kControlStateDisabled].HasFile())
    state = kControlStateNormal;
  DrawImage(render, images[state]);
}

void Control::PaintStatusImage(IRenderContext* render) {
  PaintStateImages(render, state_images_);
  PaintStateImages(render, fore_state_images_);
}

void Control::PaintBorder(IRenderContext* render) {
  DWORD color = control_resources::LookupColor(border_color_);
  if (color == 0) return;
  const RECT& b = border_sizes_;
  if (b.left < 1 && b.top < 1 && b.right < 1 && b.bottom < 1) {
    const int s = border_size_;
    if (s < 1) return;
    // The pen is centred on the outline, so inset it by half its width; the
    // right and bottom take the odd pixel.
    RECT r{pos_.left + s / 2, pos_.top + s / 2, pos_.right - (s / 2 + s % 2),
           pos_.bottom - (s / 2 + s % 2)};
    if (border_round_.cx > 0 || border_round_.cy > 0)
      render->DrawRoundRect(r, border_round_, s, color);
    else
      render->DrawRect(r, s, color);
    return;
  }
  if (b.left > 0) {
    int x = pos_.left + b.left / 2;
    render->DrawLine(RECT{x, pos_.top, x, b.left == 1 ? pos_.bottom - 1 : pos_.bottom}, b.left,
                     color);
  }
  if (b.top > 0) {
    int y = pos_.top + b.top / 2;
    render->DrawLine(RECT{pos_.left, y, b.top == 1 ? pos_.right - 1 : pos_.right, y}, b.top, color);
  }
  if (b.right > 0) {
    int x = pos_.right - (b.right + 1) / 2;
    render->DrawLine(RECT{x, pos_.top, x, b.right == 1 ? pos_.bottom - 1 : pos_.bottom}, b.right,
                     color);
  }
  if (b.bottom > 0) {
    int y = pos_.bottom - (b.bottom + 1) / 2;
    render->DrawLine(RECT{pos_.left, y, b.bottom == 1 ? pos_.right - 1 : pos_.right, y}, b.bottom,
                     color);
  }
}

}  // namespace ui
