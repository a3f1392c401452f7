// The skin attributes every control understands, as a table from the
// attribute name to the setter that reads its value, and the two texts that
// carry several attributes at once: attribute lists and class lists.
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "base/text/trim.h"
#include "ui/controls/attribute_setters.h"
#include "ui/controls/control.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/resources/attribute_values.h"

namespace ui {
namespace {

using Value = const std::wstring&;
using AttributeSetter = attribute_setters::Setter<Control>;

// "stretch", "auto" or a number.
int ParseSizeValue(Value value) {
  if (value == L"stretch") return kSizeStretch;
  if (value == L"auto") return kSizeAuto;
  return ParseIntAttribute(value);
}

// Colour names may be written after leading spaces.
std::wstring WithoutLeadingSpaces(Value value) {
  return std::wstring(base::TrimLeadingBlanks(value, base::Blanks::kSpaces));
}

// Limits scale only when they are pixels.
int ParseLimitValue(Value value) {
  const int limit = ParseSizeValue(value);
  return limit > 0 ? control_resources::ScaleForDpi(limit) : limit;
}

// Calls `apply` with the meaning of `value` when it is one of `words`; other
// values change nothing.
template <typename T, typename Apply>
void ApplyWord(Value value, std::initializer_list<std::pair<const wchar_t*, T>> words,
               Apply apply) {
  for (const auto& [word, meaning] : words) {
    if (value == word) {
      apply(meaning);
      return;
    }
  }
}

template <void (Control::*Set)(bool)>
constexpr AttributeSetter SetBool = attribute_setters::Bool<Control, Set>;

template <void (Control::*Set)(const std::wstring&)>
constexpr AttributeSetter SetString = attribute_setters::Text<Control, Set>;

template <void (Control::*Set)(ControlStateType, const std::wstring&), ControlStateType kState>
constexpr AttributeSetter SetForState = attribute_setters::ForState<Control, Set, kState>;

// A pixel count, or a pair of them, at the screen's scale.
int ParseScaledInt(Value value) { return control_resources::ScaleForDpi(ParseIntAttribute(value)); }

SIZE ParseScaledPair(Value value) {
  const SIZE pair = ParsePairAttribute(value);
  return SIZE{control_resources::ScaleForDpi(pair.cx), control_resources::ScaleForDpi(pair.cy)};
}

// One side of the per-side border widths.
template <LONG RECT::*kSide>
void SetBorderSide(Control& control, Value value) {
  RECT sizes = control.GetBorderSizes();
  sizes.*kSide = ParseScaledInt(value);
  control.SetBorderSizes(sizes);
}

}  // namespace

void Control::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  // Written inside the member so that the entries for the animation switches
  // may store into the protected flags.
  static const attribute_setters::Table<Control> kSetters = {
      {L"class", [](Control& c, Value v) { c.ApplyClass(v); }},
      {L"halign",
       [](Control& c, Value v) {
         ApplyWord<HorAlign>(v,
                             {{L"left", HorAlign::kLeft},
                              {L"center", HorAlign::kCenter},
                              {L"right", HorAlign::kRight}},
                             [&c](HorAlign align) { c.SetHorAlign(align); });
       }},
      {L"valign",
       [](Control& c, Value v) {
         ApplyWord<VerAlign>(v,
                             {{L"top", VerAlign::kTop},
                              {L"center", VerAlign::kCenter},
                              {L"bottom", VerAlign::kBottom}},
                             [&c](VerAlign align) { c.SetVerAlign(align); });
       }},
      {L"margin", [](Control& c, Value v) { c.SetMargin(ParseRectAttribute(v)); }},
      {L"bkcolor", [](Control& c, Value v) { c.SetBkColor(WithoutLeadingSpaces(v)); }},
      {L"bkcolor1", [](Control& c, Value v) { c.SetBkColor(WithoutLeadingSpaces(v)); }},
      {L"bordersize",
       [](Control& c, Value v) {
         if (v.find(L',') == std::wstring::npos)
           c.SetBorderSize(ParseIntAttribute(v));
         else
           c.SetBorderSizes(control_resources::ScaleRectForDpi(ParseRectAttribute(v)));
       }},
      {L"borderround", [](Control& c, Value v) { c.SetBorderRound(ParseScaledPair(v)); }},
      {L"width", [](Control& c, Value v) { c.SetFixedWidth(ParseSizeValue(v)); }},
      {L"height", [](Control& c, Value v) { c.SetFixedHeight(ParseSizeValue(v)); }},
      {L"minwidth", [](Control& c, Value v) { c.SetMinWidth(ParseScaledInt(v)); }},
      {L"minheight", [](Control& c, Value v) { c.SetMinHeight(ParseScaledInt(v)); }},
      {L"maxwidth", [](Control& c, Value v) { c.SetMaxWidth(ParseLimitValue(v)); }},
      {L"maxheight", [](Control& c, Value v) { c.SetMaxHeight(ParseLimitValue(v)); }},
      {L"state",
       [](Control& c, Value v) {
         ApplyWord<ControlStateType>(v,
                                     {{L"normal", kControlStateNormal},
                                      {L"hot", kControlStateHot},
                                      {L"pushed", kControlStatePushed},
                                      {L"disabled", kControlStateDisabled}},
                                     [&c](ControlStateType state) { c.SetState(state); });
       }},
      {L"cursortype",
       [](Control& c, Value v) {
         ApplyWord<CursorType>(v,
                               {{L"arrow", CursorType::kArrow},
                                {L"hand", CursorType::kHand},
                                {L"ibeam", CursorType::kIBeam}},
                               [&c](CursorType cursor) { c.SetCursorType(cursor); });
       }},
      {L"renderoffset",
       [](Control& c, Value v) {
         const SIZE offset = ParseScaledPair(v);
         c.SetRenderOffset(POINT{offset.cx, offset.cy});
       }},
      {L"normalcolor", SetForState<&Control::SetStateColor, kControlStateNormal>},
      {L"hotcolor", SetForState<&Control::SetStateColor, kControlStateHot>},
      {L"pushedcolor", SetForState<&Control::SetStateColor, kControlStatePushed>},
      {L"disabledcolor", SetForState<&Control::SetStateColor, kControlStateDisabled>},
      {L"bordercolor", SetString<&Control::SetBorderColor>},
      {L"leftbordersize", SetBorderSide<&RECT::left>},
      {L"topbordersize", SetBorderSide<&RECT::top>},
      {L"rightbordersize", SetBorderSide<&RECT::right>},
      {L"bottombordersize", SetBorderSide<&RECT::bottom>},
      {L"bkimage", SetString<&Control::SetBkImage>},
      {L"normalimage", SetForState<&Control::SetStateImage, kControlStateNormal>},
      {L"hotimage", SetForState<&Control::SetStateImage, kControlStateHot>},
      {L"pushedimage", SetForState<&Control::SetStateImage, kControlStatePushed>},
      {L"disabledimage", SetForState<&Control::SetStateImage, kControlStateDisabled>},
      {L"forenormalimage", SetForState<&Control::SetForeStateImage, kControlStateNormal>},
      {L"forehotimage", SetForState<&Control::SetForeStateImage, kControlStateHot>},
      {L"forepushedimage", SetForState<&Control::SetForeStateImage, kControlStatePushed>},
      {L"foredisabledimage", SetForState<&Control::SetForeStateImage, kControlStateDisabled>},
      {L"name", [](Control& c, Value v) { c.SetName(v); }},
      {L"tooltiptext", SetString<&Control::SetToolTipText>},
      {L"tooltiptextid", SetString<&Control::SetToolTipTextId>},
      {L"dataid", SetString<&Control::SetDataId>},
      {L"enabled", SetBool<&Control::SetEnabled>},
      {L"mouse", SetBool<&Control::SetMouseEnabled>},
      {L"keyboard", SetBool<&Control::SetKeyboardEnabled>},
      {L"visible", SetBool<&Control::SetVisible>},
      {L"fadevisible", SetBool<&Control::SetFadeVisible>},
      {L"menu", SetBool<&Control::SetContextMenuUsed>},
      {L"float", [](Control& c, Value v) { c.SetFloat(ParseBoolAttribute(v)); }},
      {L"cache", SetBool<&Control::SetCacheEnabled>},
      {L"nofocus", [](Control& c, Value) { c.SetNoFocus(); }},
      {L"alpha", [](Control& c, Value v) { c.SetAlpha(ParseIntAttribute(v)); }},
      {L"fadealpha", [](Control& c, Value v) { c.fade_alpha_ = ParseBoolAttribute(v); }},
      {L"fadehot", SetBool<&Control::SetHotFade>},
      {L"fadewidth", [](Control& c, Value v) { c.fade_width_ = ParseBoolAttribute(v); }},
      {L"fadeheight", [](Control& c, Value v) { c.fade_height_ = ParseBoolAttribute(v); }},
      {L"fadeinoutxfromleft",
       [](Control& c, Value v) { c.fade_in_out_x_from_left_ = ParseBoolAttribute(v); }},
      {L"fadeinoutxfromright",
       [](Control& c, Value v) { c.fade_in_out_x_from_right_ = ParseBoolAttribute(v); }},
      {L"fadeinoutyfromtop",
       [](Control& c, Value v) { c.fade_in_out_y_from_top_ = ParseBoolAttribute(v); }},
      {L"fadeinoutyfrombottom",
       [](Control& c, Value v) { c.fade_in_out_y_from_bottom_ = ParseBoolAttribute(v); }},
      {L"receivepointer", SetBool<&Control::SetReceivePointer>},
  };
  attribute_setters::Apply(kSetters, *this, name, value);
}

void Control::ApplyAttributeText(const std::wstring& text) {
  ForEachQuotedPair(text, L'"', [this](const std::wstring& name, const std::wstring& value) {
    ApplyAttribute(name, value);
  });
}

void Control::ApplyClass(const std::wstring& class_names) {
  if (classes_in_expansion_.empty()) class_expansion_size_ = 0;
  for (const std::wstring& name : SplitBlanks(class_names)) {
    // A skin's class a -> b -> a would expand without end.
    if (std::find(classes_in_expansion_.begin(), classes_in_expansion_.end(), name) !=
        classes_in_expansion_.end())
      continue;
    std::wstring attributes = control_resources::LookupClass(name);
    if (attributes.empty() && window_) attributes = window_->GetClassAttributes(name);
    if (attributes.empty()) continue;
    class_expansion_size_ += attributes.size();
    if (class_expansion_size_ > kMaxClassExpansionSize ||
        classes_in_expansion_.size() >= kMaxClassDepth) {
      class_expansion_stopped_ = true;
      return;
    }
    classes_in_expansion_.push_back(name);
    ApplyAttributeText(attributes);
    classes_in_expansion_.pop_back();
    if (class_expansion_stopped_) return;
  }
}

}  // namespace ui
