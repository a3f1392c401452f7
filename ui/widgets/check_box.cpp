#include "ui/widgets/check_box.h"

#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/controls/control_tree.h"
#include "ui/render/render_context.h"
#include "ui/resources/attribute_values.h"

namespace ui {
namespace {

// Attribute name suffixes of the four states, in state order.
constexpr const wchar_t* kStateWords[kControlStateCount] = {L"normal", L"hot", L"pushed",
                                                             L"disabled"};

// The state whose name follows `prefix` in `name` ("selectedhotimage" with
// prefix "selected" and suffix "image" gives hot); -1 when none does.
int StateOf(const std::wstring& name, const std::wstring& prefix, const std::wstring& suffix) {
  for (int state = 0; state < kControlStateCount; ++state) {
    if (name == prefix + kStateWords[state] + suffix) return state;
  }
  return -1;
}

}  // namespace

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
  int state = -1;
  if (name == L"selected") {
    Selected(ParseBoolAttribute(value), SelectionEvent::kSend);
  } else if ((state = StateOf(name, L"selected", L"image")) >= 0) {
    SetSelectedStateImage(static_cast<ControlStateType>(state), value);
  } else if (name == L"selectedtextcolor") {
    SetSelectedTextColor(value);
  } else if ((state = StateOf(name, L"selected", L"color")) >= 0) {
    SetSelectedStateColor(static_cast<ControlStateType>(state), value);
  } else if ((state = StateOf(name, L"selectedfore", L"image")) >= 0) {
    SetSelectedForeStateImage(static_cast<ControlStateType>(state), value);
  } else {
    ButtonTemplate<Base>::ApplyAttribute(name, value);
  }
}

template <typename Base>
void CheckBoxTemplate<Base>::PaintStatusColor(IRenderContext* render) {
  if (!selected_) {
    ButtonTemplate<Base>::PaintStatusColor(render);
    return;
  }
  ControlStateType state = this->GetState();
  if (state == kControlStatePushed && selected_colors_[kControlStatePushed].empty())
    state = kControlStateHot;
  if (state == kControlStateHot && selected_colors_[kControlStateHot].empty())
    state = kControlStateNormal;
  if (state == kControlStateDisabled && selected_colors_[kControlStateDisabled].empty())
    state = kControlStateNormal;
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
  if (name == L"group")
    SetGroup(value);
  else
    CheckBoxTemplate<Base>::ApplyAttribute(name, value);
}

template class CheckBoxTemplate<Control>;
template class CheckBoxTemplate<Box>;
template class OptionTemplate<Control>;
template class OptionTemplate<Box>;

}  // namespace ui
