// The process-wide table of named colours that skins refer to by name.
//
// Every colour attribute of a control holds a name ("green", "darkcolor");
// this table turns it into a 32-bit ARGB value (alpha in the top byte). It is
// filled from global.xml. UI thread only.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace ui {

class ColorTable {
 public:
  ColorTable() = default;
  ColorTable(const ColorTable&) = delete;
  ColorTable& operator=(const ColorTable&) = delete;

  // `value` is "#AARRGGBB" (alpha first), e.g. "#ff00bb96" is opaque green.
  // A name added again takes the new value.
  void AddColor(const std::wstring& name, const std::wstring& value);
  void AddColor(const std::wstring& name, DWORD argb);

  // The value of `name`. An unknown name gives 0, which controls never draw,
  // and is entered with value 0 so later lookups agree.
  DWORD LookupColor(const std::wstring& name);
  bool HasColor(const std::wstring& name) const { return colors_.count(name) != 0; }

  // Reads "#AARRGGBB"; 0 for text that is not such a value.
  static DWORD ParseColorValue(const std::wstring& value);

 private:
  std::map<std::wstring, DWORD> colors_;
};

}  // namespace ui
