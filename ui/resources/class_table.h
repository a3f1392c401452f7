// The skin's classes: class name -> the attribute-list text it stands for,
// as global.xml or a window skin declares it. A control's class="..." is
// looked up here before its own attributes are applied.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace ui {

class ClassTable {
 public:
  // A class added again replaces the text.
  void Add(const std::wstring& name, const std::wstring& attributes) {
    classes_[name] = attributes;
  }
  // Empty for a name never added.
  std::wstring Lookup(const std::wstring& name) const {
    const auto it = classes_.find(name);
    return it == classes_.end() ? std::wstring() : it->second;
  }
  void Clear() { classes_.clear(); }
  size_t GetCount() const { return classes_.size(); }

 private:
  std::map<std::wstring, std::wstring> classes_;
};

}  // namespace ui
