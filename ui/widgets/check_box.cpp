#include "ui/widgets/check_box.h"

#include "ui/controls/attribute_setters.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/controls/control_tree.h"
#include "ui/render/render_context.h"
#include "ui/resources/attribute_values.h"

namespace ui {

template <typename Base>
void CheckBoxTemplate<Base>::Selected(bool selected, SelectionEvent send) {
  if (selected_ == selected) return;
  selected_ = selected;
  if (this->GetWindow() && send == SelectionEvent::kSend) {
    base::WeakFlagHandle alive = this->GetWeakFlag();
    this->SendEvent(selected ? kEventSelect : kEventUnSelect);
    // A handler may have destroyed the check box.
    if (alive.expired()) return;
  }
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::Trigger() {
  if (!this->IsActivatable()) return;
  Selected(!selected_, SelectionEvent::kSend);
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedTextColor(const std::wstring& color) {
  selected_text_color_ = color;
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedStateColor(ControlStateType state,
                                                   const std::wstring& color) {
  selected_colors_[state] = color;
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedStateImage(ControlStateType state,
                                                   const std::wstring& image) {
  selected_images_[state].SetImageString(image);
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::SetSelectedForeStateImage(ControlStateType state,
                                                       const std::wstring& image) {
  selected_fore_images_[state].SetImageString(image);
  this->Invalidate();
}

template <typename Base>
void CheckBoxTemplate<Base>::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  namespace set = attribute_setters;
  using Self = CheckBoxTemplate;
  static const set::Table<Self> kSetters = {
      {L"selected",
       [](Self& c, const std::wstring& v) {
         c.Selected(ParseBoolAttribute(v), SelectionEvent::kSend);
       }},
      {L"selectedtextcolor", set::Text<Self, &Self::SetSelectedTextColor>},
      {L"selectednormalcolor",
       set::ForState<Self, &Self::SetSelectedStateColor, kControlStateNormal>},
      {L"selectedhotcolor", set::ForState<Self, &Self::SetSelectedStateColor, kControlStateHot>},
      {L"selectedpushedcolor",
       set::ForState<Self, &Self::SetSelectedStateColor, kControlStatePushed>},
      {L"selecteddisabledcolor",
       set::ForState<Self, &Self::SetSelectedStateColor, kControlStateDisabled>},
      {L"selectednormalimage",
       set::ForState<Self, &Self::SetSelectedStateImage, kControlStateNormal>},
      {L"selectedhotimage", set::ForState<Self, &Self::SetSelectedStateImage, kControlStateHot>},
      {L"selectedpushedimage",
       set::ForState<Self, &Self::SetSelectedStateImage, kControlStatePushed>},
      {L"selecteddisabledimage",
       set::ForState<Self, &Self::SetSelectedStateImage, kControlStateDisabled>},
      {L"selectedforenormalimage",
       set::ForState<Self, &Self::SetSelectedForeStateImage, kControlStateNormal>},
      {L"selectedforehotimage",
       set::ForState<Self, &Self::SetSelectedForeStateImage, kControlStateHot>},
      {L"selectedforepushedimage",
       set::ForState<Self, &Self::SetSelectedForeStateImage, kControlStatePushed>},
      {L"selectedforedisabledimage",
       set::ForState<Self, &Self::SetSelectedForeStateImage, kControlStateDisabled>},
  };
  if (!set::Apply(kSetters, *this, name, value)) ButtonTemplate<Base>::ApplyAttribute(name, value);
}

template <typename Base>
void CheckBoxTemplate<Base>::PaintStatusColor(IRenderContext* render) {
  if (!selected_) {
    ButtonTemplate<Base>::PaintStatusColor(render);
    return;
  }
  const ControlStateType state = FallbackState(this->GetState(), selected_colors_);
  DWORD color = control_resources::LookupColor(selected_colors_[state]);
  if (color) render->FillRect(this->GetPaintRect(), color);
}

template <typename Base>
void CheckBoxTemplate<Base>::PaintStatusImage(IRenderContext* render) {
  if (!selected_) {
    ButtonTemplate<Base>::PaintStatusImage(render);
    return;
  }
  // The selected look has no hot fade.
  bool fade_hot = this->IsHotFadeOn();
  this->SetHotFade(false);
  this->PaintStateImages(render, selected_images_);
  this->PaintStateImages(render, selected_fore_images_);
  this->SetHotFade(fade_hot);
}

template <typename Base>
void CheckBoxTemplate<Base>::PaintText(IRenderContext* render) {
  if (!selected_) {
    ButtonTemplate<Base>::PaintText(render);
    return;
  }
  if (!render) return;
  std::wstring text = this->GetText();
  if (text.empty()) return;
  this->text_style_ = this->GetEffectiveTextStyle();
  const std::wstring& color = selected_text_color_.empty()
                                  ? this->text_colors_[kControlStateNormal]
                                  : selected_text_color_;
  this->PaintTextIn(render, this->GetTextRect(), text, color, 255);
}

template <typename Base>
void CheckBoxTemplate<Base>::PreloadImages() {
  ButtonTemplate<Base>::PreloadImages();
  if (!selected_) return;
  for (ImageSpec* images : {selected_images_, selected_fore_images_}) {
    this->LoadImage(images[kControlStateNormal]);
    this->LoadImage(images[this->GetState()]);
  }
}

template <typename Base>
ImageSpec* CheckBoxTemplate<Base>::GetSizingImage() {
  if (ImageSpec* image = ButtonTemplate<Base>::GetSizingImage()) return image;
  for (auto& spec : selected_images_) {
    if (spec.HasFile()) return &spec;
  }
  return nullptr;
}

template <typename Base>
void OptionTemplate<Base>::Selected(bool selected, SelectionEvent send) {
  if (this->IsSelected() == selected) return;
  CheckBoxTemplate<Base>::Selected(selected, send);
  if (!selected || group_.empty() || !this->GetParent()) return;
  // The unselect handlers may change the siblings, or delete this option.
  base::WeakFlagHandle alive = this->GetWeakFlag();
  const std::wstring group = group_;
  Control* parent = this->GetParent();
  control_tree::ForEachChild(parent, parent->GetChildren(), [&](Control* sibling) {
    if (alive.expired()) return;
    // Any control may sit beside an option; only options of this template
    // (as the skin names them) share a group with it, and asking the sibling
    // its kind is what a group is.
    auto* option = dynamic_cast<OptionTemplate*>(sibling);
    if (option && option != this && option->GetGroup() == group) option->Selected(false, send);
  });
}

template <typename Base>
void OptionTemplate<Base>::Trigger() {
  if (!this->IsActivatable()) return;
  Selected(true, SelectionEvent::kSend);
}

template <typename Base>
void OptionTemplate<Base>::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  static const attribute_setters::Table<OptionTemplate> kSetters = {
      {L"group", attribute_setters::Text<OptionTemplate, &OptionTemplate::SetGroup>},
  };
  if (!attribute_setters::Apply(kSetters, *this, name, value))
    CheckBoxTemplate<Base>::ApplyAttribute(name, value);
}

template class CheckBoxTemplate<Control>;
template class CheckBoxTemplate<Box>;
template class OptionTemplate<Control>;
template class OptionTemplate<Box>;

}  // namespace ui
