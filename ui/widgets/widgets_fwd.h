// Names of the widgets, for headers that only hold pointers or references to
// them. The template widgets are declared with the aliases the skins' tags
// name, so a pointer declared here is the same type the full header gives.
#pragma once

#include "ui/controls/controls_fwd.h"

namespace ui {

template <typename Base> class LabelTemplate;
template <typename Base> class ButtonTemplate;
template <typename Base> class CheckBoxTemplate;
template <typename Base> class OptionTemplate;
class RichEdit;
class ScrollBar;

using Label = LabelTemplate<Control>;
using LabelBox = LabelTemplate<Box>;
using Button = ButtonTemplate<Control>;
using ButtonBox = ButtonTemplate<Box>;
using CheckBox = CheckBoxTemplate<Control>;
using CheckBoxBox = CheckBoxTemplate<Box>;
using Option = OptionTemplate<Control>;
using OptionBox = OptionTemplate<Box>;

}  // namespace ui
