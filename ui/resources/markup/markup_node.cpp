#include "ui/resources/markup/markup_node.h"

#include <algorithm>

#include "ui/resources/markup/markup_tree.h"

namespace ui {

MarkupNode MarkupNode::GetParent() const {
  if (!IsValid()) return MarkupNode();
  return MarkupNode(tree_, tree_->elements[element_].parent);
}

MarkupNode MarkupNode::GetSibling() const {
  if (!IsValid()) return MarkupNode();
  return MarkupNode(tree_, tree_->elements[element_].next);
}

MarkupNode MarkupNode::GetChild() const {
  if (!IsValid()) return MarkupNode();
  return MarkupNode(tree_, tree_->elements[element_].child);
}

MarkupNode MarkupNode::GetChild(std::wstring_view name) const {
  for (MarkupNode child = GetChild(); child.IsValid(); child = child.GetSibling()) {
    if (name == child.GetName()) return child;
  }
  return MarkupNode();
}

bool MarkupNode::HasChildren() const { return GetChild().IsValid(); }

const wchar_t* MarkupNode::GetName() const {
  if (!IsValid()) return L"";
  return tree_->buffer.data() + tree_->elements[element_].name;
}

const wchar_t* MarkupNode::GetValue() const {
  if (!IsValid()) return L"";
  const uint32_t text = tree_->elements[element_].text;
  return text == 0 ? L"" : tree_->buffer.data() + text;
}

int MarkupNode::GetAttributeCount() const {
  if (!IsValid()) return 0;
  return static_cast<int>(
      std::min<uint32_t>(tree_->elements[element_].attribute_count, kMaxAttributes));
}

const wchar_t* MarkupNode::GetAttributeName(int index) const {
  if (index < 0 || index >= GetAttributeCount()) return L"";
  const auto& element = tree_->elements[element_];
  return tree_->buffer.data() + tree_->attributes[element.first_attribute + index].name;
}

const wchar_t* MarkupNode::GetAttributeValue(int index) const {
  if (index < 0 || index >= GetAttributeCount()) return L"";
  const auto& element = tree_->elements[element_];
  return tree_->buffer.data() +
         tree_->attributes[element.first_attribute + index].value;
}

bool MarkupNode::GetAttributeValue(std::wstring_view name, std::wstring* value) const {
  const int count = GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    if (name == GetAttributeName(i)) {
      std::wstring_view found = GetAttributeValue(i);
      value->assign(found.substr(0, kMaxValueCopy));
      return true;
    }
  }
  value->clear();
  return false;
}

std::wstring MarkupNode::GetAttributeValue(std::wstring_view name) const {
  std::wstring value;
  GetAttributeValue(name, &value);
  return value;
}

bool MarkupNode::HasAttribute(std::wstring_view name) const {
  const int count = GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    if (name == GetAttributeName(i)) return true;
  }
  return false;
}

}  // namespace ui
