#include "ui/widgets/widget_tags.h"

#include <map>

#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/widgets/button.h"
#include "ui/widgets/check_box.h"
#include "ui/widgets/label.h"
#include "ui/widgets/rich_edit.h"

namespace ui {
namespace {

using ControlFactory = Control* (*)();

template <typename T>
Control* Make() {
  return new T();
}

}  // namespace

Control* CreateControlForTag(const std::wstring& tag) {
  static const std::map<std::wstring, ControlFactory> kFactories = {
      {L"Control", Make<Control>},   {L"Box", Make<Box>},
      {L"HBox", Make<HBox>},         {L"VBox", Make<VBox>},
      {L"Label", Make<Label>},       {L"LabelBox", Make<LabelBox>},
      {L"Button", Make<Button>},     {L"ButtonBox", Make<ButtonBox>},
      {L"CheckBox", Make<CheckBox>}, {L"CheckBoxBox", Make<CheckBoxBox>},
      {L"Option", Make<Option>},     {L"OptionBox", Make<OptionBox>},
      {L"RichEdit", Make<RichEdit>},
  };
  const auto it = kFactories.find(tag);
  return it == kFactories.end() ? nullptr : it->second();
}

}  // namespace ui
