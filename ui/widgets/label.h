// Text on any control: `LabelTemplate` over Control (the skin's Label) and
// over Box (LabelBox, which also lays out and paints children).
//
// A label shows its text, or the language string of its text id, in a named
// font with DrawText-style flags, inset by the text padding, in the colour of
// the control's state. An auto-sized label measures its text; a multi-line
// auto label wraps to the room its parent has.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls/box.h"
#include "ui/controls/control.h"

namespace ui {

// DrawText flags the labels use.
constexpr UINT kTextCenter = DT_CENTER;          // 0x01
constexpr UINT kTextRight = DT_RIGHT;            // 0x02
constexpr UINT kTextVCenter = DT_VCENTER;        // 0x04
constexpr UINT kTextBottom = DT_BOTTOM;          // 0x08
constexpr UINT kTextSingleLine = DT_SINGLELINE;  // 0x20
constexpr UINT kTextNoClip = DT_NOCLIP;          // 0x100
constexpr UINT kTextEndEllipsis = DT_END_ELLIPSIS;  // 0x8000
// Left, top, single line, no clipping, end ellipsis.
constexpr UINT kDefaultTextStyle = kTextSingleLine | kTextNoClip | kTextEndEllipsis;

// Applies the words of an "align" value to DrawText flags, in the fixed
// order left, center, right, top, vcenter, bottom; "vcenter" also counts as
// "center" because the word contains it.
UINT ApplyAlignWords(const std::wstring& value, UINT style);

// The names of the default text colours: the global defaults
// ("textdefaultcolor", "textdefaultdisablecolor" unless global.xml says
// otherwise).
std::wstring DefaultTextColorName();
std::wstring DefaultDisabledTextColorName();

template <typename Base>
class LabelTemplate : public Base {
 public:
  LabelTemplate();

  // The text, or the language string of the text id when the text is empty.
  virtual std::wstring GetText() const;
  const std::wstring& GetRawText() const { return text_; }
  const std::wstring& GetTextId() const { return text_id_; }
  // Both do nothing for an unchanged value; otherwise an auto-sized label
  // asks its ancestor to arrange again, a fixed one repaints.
  virtual void SetText(const std::wstring& text);
  virtual void SetTextId(const std::wstring& id);

  const std::wstring& GetFont() const { return font_id_; }
  void SetFont(const std::wstring& font_id);
  UINT GetTextStyle() const { return text_style_; }
  void SetTextStyle(UINT style);
  bool IsSingleLine() const { return single_line_; }
  void SetSingleLine(bool single_line);
  bool IsLineLimit() const { return line_limit_; }
  void SetLineLimit(bool line_limit);
  const RECT& GetTextPadding() const { return text_padding_; }
  void SetTextPadding(RECT padding);
  // Colour names per state; empty for hot and pushed means "fall back".
  const std::wstring& GetStateTextColor(ControlStateType state) const {
    return text_colors_[state];
  }
  void SetStateTextColor(ControlStateType state, const std::wstring& color);
  // The colour name painting uses for `state`: pushed falls back to hot, hot
  // to normal, disabled to normal.
  std::wstring GetPaintStateTextColor(ControlStateType state) const;

  // Control overrides.
  void ApplyAttribute(const std::wstring& name, const std::wstring& value) override;
  SIZE EstimateText(int available_width, int available_height) override;
  SIZE MeasureSize(int available_width, int available_height) override;
  void PaintText(IRenderContext* render) override;

 protected:
  // The label's text in `color` (a name) at `opacity`, inside `rect`.
  void PaintTextIn(IRenderContext* render, const RECT& rect, const std::wstring& text,
                   const std::wstring& color, BYTE opacity);
  // The text rectangle: the position inset by the text padding.
  RECT GetTextRect() const;
  // The flags with DT_SINGLELINE following the single-line flag.
  UINT GetEffectiveTextStyle() const;
  // Repaints, or asks for a new layout when the label sizes itself.
  void TextChanged();

  std::wstring text_;
  std::wstring text_id_;
  std::wstring font_id_;
  UINT text_style_ = kDefaultTextStyle;
  bool single_line_ = true;
  bool line_limit_ = false;
  // A multi-line auto label measured against the room it had: its estimate
  // depends on that room and is redone on the next measure.
  bool reestimate_ = false;
  RECT text_padding_{0, 0, 0, 0};
  std::wstring text_colors_[kControlStateCount];
};

extern template class LabelTemplate<Control>;
extern template class LabelTemplate<Box>;

using Label = LabelTemplate<Control>;
using LabelBox = LabelTemplate<Box>;

}  // namespace ui
