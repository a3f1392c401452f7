// What a loaded MarkupDocument is made of: one wide buffer that names,
// values and texts are cut out of in place, and the element and attribute
// tables that point into it. The document fills it and MarkupNode reads it,
// so a node needs the tree, not the reader.
#pragma once

#include <cstdint>
#include <vector>

namespace ui {

struct MarkupTree {
  // Offsets into buffer and indices into elements; 0 means none (index 0 is
  // the slot of the document itself, whose children are the top-level
  // elements).
  struct Element {
    uint32_t name = 0;
    uint32_t child = 0;
    uint32_t next = 0;
    uint32_t parent = 0;
    uint32_t text = 0;
    uint32_t first_attribute = 0;  // into attributes
    uint32_t attribute_count = 0;
  };
  struct Attribute {
    uint32_t name = 0;
    uint32_t value = 0;
  };

  std::vector<wchar_t> buffer;
  std::vector<Element> elements;
  std::vector<Attribute> attributes;
};

}  // namespace ui
