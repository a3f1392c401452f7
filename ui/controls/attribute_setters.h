// Entries of the attribute tables (name -> setter) of the controls: each
// reads the attribute's value one way and hands it to one member, so that a
// table entry names only the member it sets.
#pragma once

#include <string>

#include "ui/controls/control.h"
#include "ui/resources/attribute_values.h"

namespace ui::attribute_setters {

// "true" or anything else.
template <typename C, void (C::*Set)(bool)>
void Bool(C& control, const std::wstring& value) {
  (control.*Set)(ParseBoolAttribute(value));
}

// The value as it is written.
template <typename C, void (C::*Set)(const std::wstring&)>
void Text(C& control, const std::wstring& value) {
  (control.*Set)(value);
}

// The value as it is written, for one state of the control.
template <typename C, void (C::*Set)(ControlStateType, const std::wstring&), ControlStateType kState>
void ForState(C& control, const std::wstring& value) {
  (control.*Set)(kState, value);
}

}  // namespace ui::attribute_setters
