// A button that toggles a selected state: `CheckBoxTemplate` over Control
// (CheckBox) and over Box (CheckBoxBox); `OptionTemplate` (Option,
// OptionBox) selects instead of toggling and unselects the other options of
// its group.
//
// While selected, a check box paints with its second set of state colours,
// state images and fore images and its selected text colour. Becoming
// selected sends select (42), becoming unselected sends unselect (43).
#pragma once

#include "ui/widgets/button.h"

namespace ui {

// Whether changing the selection sends select / unselect.
enum class SelectionEvent { kNone, kSend };

template <typename Base>
class CheckBoxTemplate : public ButtonTemplate<Base> {
 public:
  CheckBoxTemplate() = default;

  bool IsSelected() const { return selected_; }
  // Nothing when unchanged; otherwise stores the state, sends the event when
  // asked (and the check box has a window), and repaints.
  virtual void Selected(bool selected, SelectionEvent send = SelectionEvent::kNone);

  const std::wstring& GetSelectedTextColor() const { return selected_text_color_; }
  void SetSelectedTextColor(const std::wstring& color);
  void SetSelectedStateColor(ControlStateType state, const std::wstring& color);
  const std::wstring& GetSelectedStateColor(ControlStateType state) const {
    return selected_colors_[state];
  }
  void SetSelectedStateImage(ControlStateType state, const std::wstring& image);
  std::wstring GetSelectedStateImage(ControlStateType state) const {
    return selected_images_[state].imageString;
  }
  void SetSelectedForeStateImage(ControlStateType state, const std::wstring& image);

  // A completed click toggles the selection, with events.
  void Trigger() override;
  void ApplyAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintStatusColor(IRenderContext* render) override;
  void PaintStatusImage(IRenderContext* render) override;
  void PaintText(IRenderContext* render) override;
  void PreloadImages() override;

 protected:
  ImageSpec* GetSizingImage() override;

  bool selected_ = false;
  std::wstring selected_text_color_;
  std::wstring selected_colors_[kControlStateCount];
  ImageSpec selected_images_[kControlStateCount];
  ImageSpec selected_fore_images_[kControlStateCount];
};

template <typename Base>
class OptionTemplate : public CheckBoxTemplate<Base> {
 public:
  OptionTemplate() = default;

  const std::wstring& GetGroup() const { return group_; }
  void SetGroup(const std::wstring& group) { group_ = group; }

  // Selecting an option of a group unselects its siblings of that group.
  void Selected(bool selected, SelectionEvent send = SelectionEvent::kNone) override;
  // A click selects; it never unselects.
  void Trigger() override;
  void ApplyAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  std::wstring group_;
};

extern template class CheckBoxTemplate<Control>;
extern template class CheckBoxTemplate<Box>;
extern template class OptionTemplate<Control>;
extern template class OptionTemplate<Box>;

using CheckBox = CheckBoxTemplate<Control>;
using CheckBoxBox = CheckBoxTemplate<Box>;
using Option = OptionTemplate<Control>;
using OptionBox = OptionTemplate<Box>;

}  // namespace ui
