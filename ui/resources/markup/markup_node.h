// One element of a MarkupDocument: a light value (a pointer to the
// document's tree and an element index) that is cheap to copy. Names and
// values point into the document's buffer and live as long as the
// document's current load.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

struct MarkupTree;

class MarkupNode {
 public:
  // Only the first attributes of an element are seen; later ones are ignored.
  static constexpr int kMaxAttributes = 64;
  // A value looked up by name is copied up to this many characters.
  static constexpr size_t kMaxValueCopy = 499;

  MarkupNode() = default;
  MarkupNode(const MarkupTree* tree, uint32_t element) : tree_(tree), element_(element) {}

  bool IsValid() const { return tree_ != nullptr && element_ != 0; }

  MarkupNode GetParent() const;
  MarkupNode GetSibling() const;
  MarkupNode GetChild() const;
  // The first child element with this name (compared exactly).
  MarkupNode GetChild(std::wstring_view name) const;
  bool HasChildren() const;

  // Empty text for an empty node.
  const wchar_t* GetName() const;
  // The element's text up to its first child or closing tag, entities decoded.
  const wchar_t* GetValue() const;

  int GetAttributeCount() const;
  // Empty text for an index out of range.
  const wchar_t* GetAttributeName(int index) const;
  const wchar_t* GetAttributeValue(int index) const;
  bool HasAttribute(std::wstring_view name) const;
  // The value of the first attribute with this name (compared exactly),
  // cut to kMaxValueCopy characters; empty when there is none.
  std::wstring GetAttributeValue(std::wstring_view name) const;
  // As above, telling a missing attribute apart from an empty value.
  bool GetAttributeValue(std::wstring_view name, std::wstring* value) const;

 private:
  const MarkupTree* tree_ = nullptr;
  uint32_t element_ = 0;
};

}  // namespace ui
