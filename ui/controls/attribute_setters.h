// The common entries of the attribute tables (ui/resources/attribute_table.h)
// through which every control, and the window, takes its skin attributes:
// each reads the attribute's value one way and hands it to one member, so
// that a table entry names only the member it sets.
//
// A class declares its table inside its ApplyAttribute (where the entries
// may reach its protected state) and hands what the table lacks to its base:
//
//   static const attribute_setters::Table<Label> kSetters = {...};
//   if (!attribute_setters::Apply(kSetters, *this, name, value))
//     Base::ApplyAttribute(name, value);
#pragma once

#include <string>

#include "ui/controls/control.h"
#include "ui/resources/attribute_table.h"
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
template <typename C, void (C::*Set)(ControlStateType, const std::wstring&),
          ControlStateType kState>
void ForState(C& control, const std::wstring& value) {
  (control.*Set)(kState, value);
}

}  // namespace ui::attribute_setters
