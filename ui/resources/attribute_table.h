// The name -> setter table through which a skin's attributes reach what
// they set: the controls' and the window's attributes (ui/controls/
// attribute_setters.h adds their common entries) and global.xml's own.
#pragma once

#include <map>
#include <string>

namespace ui::attribute_setters {

template <typename C>
using Setter = void (*)(C& target, const std::wstring& value);

template <typename C>
using Table = std::map<std::wstring, Setter<C>>;

// Applies `name` through its entry in `table`; false when the table has
// none, so that the caller's base may know the name.
template <typename C>
bool Apply(const Table<C>& table, C& target, const std::wstring& name, const std::wstring& value) {
  const auto it = table.find(name);
  if (it == table.end()) return false;
  it->second(target, value);
  return true;
}

}  // namespace ui::attribute_setters
