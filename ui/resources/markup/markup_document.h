// The skin reader: a small XML reader for skins, the global skin file and
// included skin files.
//
// The document keeps the whole text as one wide buffer and cuts names, values
// and texts out of it in place (terminators are written into the buffer), so
// nodes hand out pointers into the document and stay valid until the document
// is reloaded or destroyed. Accepted: elements, attributes in double quotes,
// text, the five predefined entities, processing instructions and comments
// (skipped). The first error stops the load with a fixed message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/resources/markup/markup_tree.h"

namespace ui {

class MarkupNode;

class MarkupDocument {
 public:
  // Larger skin files are refused: no skin comes near it, and it bounds what
  // a broken or hostile file can make the reader allocate.
  static constexpr size_t kMaxFileSize = 0x400000;

  MarkupDocument();
  ~MarkupDocument();
  MarkupDocument(const MarkupDocument&) = delete;
  MarkupDocument& operator=(const MarkupDocument&) = delete;

  // Each load drops what an earlier load held. They return false with the
  // error message and location set when the text cannot be read or parsed.
  bool Load(std::wstring_view text);
  // UTF-8 bytes; a leading byte-order mark is skipped.
  bool LoadFromMemory(const void* data, size_t size);
  // The whole file, UTF-8 with or without a byte-order mark.
  bool LoadFromFile(const std::wstring& path);
  // Drops the document and frees its memory.
  void Release();

  bool IsValid() const { return tree_.elements.size() > 1; }
  // The first top-level element; an empty node when nothing is loaded.
  MarkupNode GetRoot() const;

  // The first error of the last load: a fixed English sentence, and up to
  // 49 characters of the text where parsing stopped.
  const std::wstring& GetLastErrorMessage() const { return error_message_; }
  const std::wstring& GetLastErrorLocation() const { return error_location_; }

 private:
  // Empties the document but keeps its memory for the next load.
  void Clear();
  // Terminates and parses what the tree's buffer holds.
  bool ParseBuffer();
  bool Parse();
  bool ParseStartTag(wchar_t*& p, uint32_t element, bool* self_closing);
  bool ParseAttributes(wchar_t*& p, uint32_t element);
  uint32_t NewElement(uint32_t parent, uint32_t previous_sibling);
  bool Fail(const wchar_t* message, const wchar_t* where);
  uint32_t OffsetOf(const wchar_t* p) const;

  MarkupTree tree_;
  std::wstring error_message_;
  std::wstring error_location_;
};

}  // namespace ui
