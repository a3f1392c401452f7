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

  bool IsValid() const { return elements_.size() > 1; }
  // The first top-level element; an empty node when nothing is loaded.
  MarkupNode GetRoot() const;

  // The first error of the last load: a fixed English sentence, and up to
  // 49 characters of the text where parsing stopped.
  const std::wstring& GetLastErrorMessage() const { return error_message_; }
  const std::wstring& GetLastErrorLocation() const { return error_location_; }

 private:
  friend class MarkupNode;

  // Offsets into buffer_ and indices into elements_; 0 means none (index 0
  // is the slot of the document itself, whose children are the top-level
  // elements).
  struct Element {
    uint32_t name = 0;
    uint32_t child = 0;
    uint32_t next = 0;
    uint32_t parent = 0;
    uint32_t text = 0;
    uint32_t first_attribute = 0;  // into attributes_
    uint32_t attribute_count = 0;
  };
  struct Attribute {
    uint32_t name = 0;
    uint32_t value = 0;
  };

  // Empties the document but keeps its memory for the next load.
  void Clear();
  // Terminates and parses what buffer_ holds.
  bool ParseBuffer();
  bool Parse();
  bool ParseStartTag(wchar_t*& p, uint32_t element, bool* self_closing);
  bool ParseAttributes(wchar_t*& p, uint32_t element);
  uint32_t NewElement(uint32_t parent, uint32_t previous_sibling);
  bool Fail(const wchar_t* message, const wchar_t* where);
  uint32_t OffsetOf(const wchar_t* p) const;

  std::vector<wchar_t> buffer_;
  std::vector<Element> elements_;
  std::vector<Attribute> attributes_;
  std::wstring error_message_;
  std::wstring error_location_;
};

}  // namespace ui
