#include "ui/widgets/label.h"

#include <type_traits>

#include "ui/controls/attribute_setters.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/render/render_context.h"
#include "ui/resources/attribute_values.h"
#include "ui/resources/global_text_colors.h"
#include "ui/resources/skin_tables.h"

namespace ui {

UINT ApplyAlignWords(const std::wstring& value, UINT style) {
  auto has = [&value](const wchar_t* word) { return value.find(word) != std::wstring::npos; };
  if (has(L"left")) style &= ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  if (has(L"center")) {
    style &= ~DT_RIGHT;
    style |= DT_CENTER;
  }
  if (has(L"right")) {
    style &= ~(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    style |= DT_RIGHT;
  }
  if (has(L"top")) {
    style &= ~(DT_BOTTOM | DT_VCENTER);
    style |= DT_SINGLELINE;
  }
  if (has(L"vcenter")) {
    style &= ~DT_BOTTOM;
    style |= DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  }
  if (has(L"bottom")) {
    style &= ~DT_VCENTER;
    style |= DT_BOTTOM | DT_SINGLELINE;
  }
  return style;
}

std::wstring DefaultTextColorName() { return SkinTextColors().normal_name; }

std::wstring DefaultDisabledTextColorName() {
  return SkinTextColors().disabled_name;
}

template <typename Base>
LabelTemplate<Base>::LabelTemplate() {
  // A text control sizes itself to its text; a box with text stretches like
  // any box.
  if constexpr (std::is_same_v<Base, Control>) {
    this->fixed_width_ = kSizeAuto;
    this->fixed_height_ = kSizeAuto;
  }
  text_colors_[kControlStateNormal] = DefaultTextColorName();
  text_colors_[kControlStateDisabled] = DefaultDisabledTextColorName();
}

template <typename Base>
std::wstring LabelTemplate<Base>::GetText() const {
  if (text_.empty() && !text_id_.empty()) return control_resources::LookupString(text_id_);
  return text_;
}

template <typename Base>
void LabelTemplate<Base>::SetText(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  TextChanged();
}

template <typename Base>
void LabelTemplate<Base>::SetTextId(const std::wstring& id) {
  if (id == text_id_) return;
  text_id_ = id;
  TextChanged();
}

template <typename Base>
void LabelTemplate<Base>::TextChanged() {
  if (!this->IsAutoWidth() && !this->IsAutoHeight()) {
    this->Invalidate();
    return;
  }
  // A new text that measures as the old one did leaves every place in the
  // layout as it is: repainting the label is enough. The progress figure
  // changes each frame, and arranging its view each time repainted the whole
  // view. Only a single-line label measures the same whatever room it has.
  const bool measured = !this->IsEstimateStale();
  const SIZE before = this->GetEstimateSize();
  this->SetEstimateStale();
  if constexpr (std::is_same_v<Base, Control>) {
    if (measured && single_line_) {
      const SIZE after = this->MeasureSize(0, 0);
      if (after.cx == before.cx && after.cy == before.cy) {
        this->Invalidate();
        return;
      }
    }
  }
  this->ArrangeAncestor();
}

template <typename Base>
void LabelTemplate<Base>::SetFont(const std::wstring& font_id) {
  font_id_ = font_id;
  // The size of auto text follows the font.
  this->SetEstimateStale();
  this->Invalidate();
}

template <typename Base>
void LabelTemplate<Base>::SetTextStyle(UINT style) {
  text_style_ = style;
  this->Invalidate();
}

template <typename Base>
void LabelTemplate<Base>::SetSingleLine(bool single_line) {
  if (single_line_ == single_line) return;
  single_line_ = single_line;
  this->SetEstimateStale();
  this->Invalidate();
}

template <typename Base>
void LabelTemplate<Base>::SetLineLimit(bool line_limit) {
  if (line_limit_ == line_limit) return;
  line_limit_ = line_limit;
  this->Invalidate();
}

template <typename Base>
void LabelTemplate<Base>::SetTextPadding(RECT padding) {
  text_padding_ = padding;
  // The padding sizes an auto label as its text does.
  TextChanged();
}

template <typename Base>
void LabelTemplate<Base>::SetStateTextColor(ControlStateType state, const std::wstring& color) {
  text_colors_[state] = color;
  this->Invalidate();
}

template <typename Base>
std::wstring LabelTemplate<Base>::GetPaintStateTextColor(ControlStateType state) const {
  return text_colors_[FallbackState(state, text_colors_)];
}

template <typename Base>
void LabelTemplate<Base>::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  namespace set = attribute_setters;
  using Value = const std::wstring&;
  // Inside the member so that the entries may reach the protected state.
  static const set::Table<LabelTemplate> kSetters = {
      {L"align",
       [](LabelTemplate& l, Value v) {
         l.text_style_ = ApplyAlignWords(v, l.text_style_);
         l.Invalidate();
       }},
      {L"endellipsis",
       [](LabelTemplate& l, Value v) {
         if (ParseBoolAttribute(v)) {
           l.text_style_ |= DT_END_ELLIPSIS;
         } else {
           l.text_style_ &= ~DT_END_ELLIPSIS;
         }
         l.Invalidate();
       }},
      {L"linelimit", set::Bool<LabelTemplate, &LabelTemplate::SetLineLimit>},
      {L"singleline", set::Bool<LabelTemplate, &LabelTemplate::SetSingleLine>},
      {L"text", set::Text<LabelTemplate, &LabelTemplate::SetText>},
      {L"textid", set::Text<LabelTemplate, &LabelTemplate::SetTextId>},
      {L"font", set::Text<LabelTemplate, &LabelTemplate::SetFont>},
      {L"normaltextcolor",
       set::ForState<LabelTemplate, &LabelTemplate::SetStateTextColor, kControlStateNormal>},
      {L"hottextcolor",
       set::ForState<LabelTemplate, &LabelTemplate::SetStateTextColor, kControlStateHot>},
      {L"pushedtextcolor",
       set::ForState<LabelTemplate, &LabelTemplate::SetStateTextColor, kControlStatePushed>},
      {L"disabledtextcolor",
       set::ForState<LabelTemplate, &LabelTemplate::SetStateTextColor, kControlStateDisabled>},
      {L"textpadding", [](LabelTemplate& l, Value v) { l.SetTextPadding(ParseRectAttribute(v)); }},
  };
  if (!set::Apply(kSetters, *this, name, value)) Base::ApplyAttribute(name, value);
}

template <typename Base>
UINT LabelTemplate<Base>::GetEffectiveTextStyle() const {
  UINT style = text_style_;
  if (single_line_)
    style |= DT_SINGLELINE;
  else
    style &= ~DT_SINGLELINE;
  return style;
}

template <typename Base>
SIZE LabelTemplate<Base>::MeasureSize(int available_width, int available_height) {
  if (reestimate_) {
    // The last estimate wrapped to the room it was given; the room may differ.
    reestimate_ = false;
    this->SetEstimateStale();
  }
  return Base::MeasureSize(available_width, available_height);
}

template <typename Base>
SIZE LabelTemplate<Base>::EstimateText(int available_width, int) {
  text_style_ = GetEffectiveTextStyle();
  std::wstring text = GetText();
  if (text.empty()) return SIZE{0, 0};
  IControlHost* window = this->GetWindow();
  IRenderContext* render = window ? window->GetRenderContext() : nullptr;
  if (!render) return SIZE{0, 0};

  const int pad_x = text_padding_.left + text_padding_.right;
  const int pad_y = text_padding_.top + text_padding_.bottom;
  // A fixed width wraps the text where it is drawn: inside the padding.
  const int fixed_width = this->GetFixedWidth();
  int width_limit = 0;
  if (fixed_width >= 0) width_limit = fixed_width - pad_x > 0 ? fixed_width - pad_x : fixed_width;
  RECT box = render->MeasureTextBox(text, font_id_, text_style_, width_limit);
  int tw = box.right - box.left;
  int th = box.bottom - box.top;

  SIZE size{pad_x + tw, 0};
  if (this->IsAutoHeight()) {
    if (!single_line_ && this->IsAutoWidth() && this->GetMaxWidth() == -1) {
      reestimate_ = true;
      int room = available_width - pad_x;
      if (room < tw) {
        RECT wrapped = render->MeasureTextBox(text, font_id_, text_style_, room);
        tw = room;
        th = wrapped.bottom - wrapped.top;
      }
    }
    size.cx = pad_x + tw;
    size.cy = pad_y + th;
  }
  return size;
}

template <typename Base>
RECT LabelTemplate<Base>::GetTextRect() const {
  RECT rect = this->GetPos();
  rect.left += text_padding_.left;
  rect.top += text_padding_.top;
  rect.right -= text_padding_.right;
  rect.bottom -= text_padding_.bottom;
  return rect;
}

template <typename Base>
void LabelTemplate<Base>::PaintTextIn(IRenderContext* render, const RECT& rect,
                                      const std::wstring& text, const std::wstring& color,
                                      BYTE opacity) {
  DWORD argb = control_resources::LookupColor(color);
  // A colour the table lacks resolves to 0 and is not drawn.
  if (argb == 0) return;
  render->RenderText(rect, text, argb, font_id_, text_style_, opacity, line_limit_);
}

template <typename Base>
void LabelTemplate<Base>::PaintText(IRenderContext* render) {
  if (!render) return;
  std::wstring text = GetText();
  if (text.empty()) return;
  RECT rect = GetTextRect();
  ControlStateType state = this->GetState();
  text_style_ = GetEffectiveTextStyle();

  const std::wstring& hot = text_colors_[kControlStateHot];
  if (this->IsHotFadeOn() && (state == kControlStateNormal || state == kControlStateHot) &&
      !hot.empty()) {
    PaintTextIn(render, rect, text, text_colors_[kControlStateNormal], 255);
    int hot_alpha = this->GetHotAlpha();
    if (hot_alpha >= 1) PaintTextIn(render, rect, text, hot, static_cast<BYTE>(hot_alpha));
    return;
  }
  PaintTextIn(render, rect, text, GetPaintStateTextColor(state), 255);
}

template class LabelTemplate<Control>;
template class LabelTemplate<Box>;

}  // namespace ui
