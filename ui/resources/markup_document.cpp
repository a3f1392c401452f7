#include "ui/resources/markup_document.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "base/unique_any.h"
#include "ui/resources/markup_node.h"

namespace ui {
namespace {

constexpr size_t kMaxErrorMessage = 99;
constexpr size_t kMaxErrorLocation = 49;

bool IsWhitespace(wchar_t c) { return c != 0 && c <= L' '; }

bool IsNameChar(wchar_t c) {
  return c == L'_' || c == L':' || (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') ||
         (c >= L'A' && c <= L'Z') || (c > 0x7F && std::iswalnum(c));
}

void SkipWhitespace(wchar_t*& p) {
  while (IsWhitespace(*p)) ++p;
}

// Decodes the predefined entities of [begin, end) in place and returns the
// new end; the text only ever shrinks. Any other "&" is kept as written.
wchar_t* DecodeEntities(wchar_t* begin, wchar_t* end) {
  struct Entity {
    const wchar_t* name;  // including the closing ";"
    size_t length;
    wchar_t value;
  };
  static constexpr Entity kEntities[] = {
      {L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'},
      {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
  };
  wchar_t* out = begin;
  wchar_t* in = begin;
  while (in < end) {
    if (*in == L'&') {
      const size_t left = static_cast<size_t>(end - in - 1);
      bool decoded = false;
      for (const Entity& entity : kEntities) {
        if (entity.length <= left &&
            std::wmemcmp(in + 1, entity.name, entity.length) == 0) {
          *out++ = entity.value;
          in += entity.length + 1;
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    *out++ = *in++;
  }
  return out;
}

// Moves p past the next occurrence of terminator, or to the end of the text.
void SkipPast(wchar_t*& p, const wchar_t* terminator) {
  wchar_t* found = std::wcsstr(p, terminator);
  p = found ? found + std::wcslen(terminator) : p + std::wcslen(p);
}

}  // namespace

MarkupDocument::MarkupDocument() = default;
MarkupDocument::~MarkupDocument() = default;

void MarkupDocument::Clear() {
  buffer_.clear();
  elements_.clear();
  attributes_.clear();
  error_message_.clear();
  error_location_.clear();
}

void MarkupDocument::Release() {
  buffer_.clear();
  buffer_.shrink_to_fit();
  elements_.clear();
  elements_.shrink_to_fit();
  attributes_.clear();
  attributes_.shrink_to_fit();
  error_message_.clear();
  error_location_.clear();
}

MarkupNode MarkupDocument::GetRoot() const {
  if (!IsValid()) return MarkupNode();
  return MarkupNode(this, elements_[0].child);
}

bool MarkupDocument::Load(std::wstring_view text) {
  Clear();
  buffer_.reserve(text.size() + 2);
  buffer_.assign(text.begin(), text.end());
  return ParseBuffer();
}

bool MarkupDocument::LoadFromMemory(const void* data, size_t size) {
  Clear();
  const char* bytes = static_cast<const char*>(data);
  if (bytes == nullptr) size = 0;
  if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
    bytes += 3;
    size -= 3;
  }
  if (size > INT_MAX / 2) return Fail(L"File too large", L"");
  if (size > 0) {
    // Decoded straight into the document's buffer: no intermediate copy.
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return Fail(L"Could not read file", L"");
    buffer_.resize(static_cast<size_t>(length) + 2);
    ::MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), buffer_.data(), length);
    buffer_.resize(static_cast<size_t>(length));
  }
  return ParseBuffer();
}

bool MarkupDocument::ParseBuffer() {
  // Two terminators, so the one-character look-ahead after a "<" at the very
  // end never leaves the buffer.
  buffer_.push_back(0);
  buffer_.push_back(0);
  if (buffer_.size() >= UINT32_MAX) return Fail(L"File too large", L"");
  if (!Parse()) {
    // Half-parsed state must not look like a document.
    elements_.clear();
    attributes_.clear();
    return false;
  }
  return true;
}

bool MarkupDocument::LoadFromFile(const std::wstring& path) {
  Clear();
  base::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Fail(L"Error opening file", path.c_str());
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return Fail(L"Could not read file", path.c_str());
  if (size.QuadPart == 0) return Fail(L"File is empty", path.c_str());
  if (size.QuadPart > static_cast<LONGLONG>(kMaxFileSize)) {
    return Fail(L"File too large", path.c_str());
  }
  std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size()) {
    return Fail(L"Could not read file", path.c_str());
  }
  return LoadFromMemory(bytes.data(), bytes.size());
}

bool MarkupDocument::Fail(const wchar_t* message, const wchar_t* where) {
  error_message_.assign(message, std::min(std::wcslen(message), kMaxErrorMessage));
  size_t length = 0;
  while (length < kMaxErrorLocation && where[length] != 0) ++length;
  error_location_.assign(where, length);
  return false;
}

uint32_t MarkupDocument::OffsetOf(const wchar_t* p) const {
  return static_cast<uint32_t>(p - buffer_.data());
}

uint32_t MarkupDocument::NewElement(uint32_t parent, uint32_t previous_sibling) {
  if (elements_.size() == elements_.capacity()) {
    elements_.reserve(elements_.capacity() + elements_.capacity() / 2 + 500);
  }
  const uint32_t index = static_cast<uint32_t>(elements_.size());
  Element element;
  element.parent = parent;
  elements_.push_back(element);
  if (previous_sibling != 0) {
    elements_[previous_sibling].next = index;
  } else {
    elements_[parent].child = index;
  }
  return index;
}

// Reads the attributes of a start tag up to its closing "/>" or ">".
bool MarkupDocument::ParseAttributes(wchar_t*& p, uint32_t element) {
  elements_[element].first_attribute = static_cast<uint32_t>(attributes_.size());
  while (*p != 0 && *p != L'>' && *p != L'/') {
    wchar_t* name = p;
    while (IsNameChar(*p)) ++p;
    wchar_t* name_end = p;
    SkipWhitespace(p);
    if (name == name_end || *p != L'=') return Fail(L"Error while parsing attributes", p);
    ++p;
    SkipWhitespace(p);
    if (*p != L'"') return Fail(L"Expected attribute value", p);
    wchar_t* value = ++p;
    while (*p != 0 && *p != L'"') ++p;
    if (*p == 0) return Fail(L"Error while parsing attribute string", value);
    *DecodeEntities(value, p) = 0;
    ++p;
    // The character after the name (blank or "=") has been read already.
    *name_end = 0;
    attributes_.push_back(Attribute{OffsetOf(name), OffsetOf(value)});
    ++elements_[element].attribute_count;
    SkipWhitespace(p);
  }
  return true;
}

// Reads "name attributes" after a "<" and moves past the "/>" or ">".
bool MarkupDocument::ParseStartTag(wchar_t*& p, uint32_t element, bool* self_closing) {
  wchar_t* name = p;
  while (IsNameChar(*p)) ++p;
  if (p == name) return Fail(L"Error parsing element name", p);
  elements_[element].name = OffsetOf(name);
  wchar_t* name_end = p;
  SkipWhitespace(p);
  if (!ParseAttributes(p, element)) return false;
  if (*p == L'/' ? p[1] != L'>' : *p != L'>') return Fail(L"Expected start-tag closing", p);
  *self_closing = (*p == L'/');
  p += *self_closing ? 2 : 1;
  // The blank, "/" or ">" after the name has been read, so it can end the name.
  *name_end = 0;
  return true;
}

bool MarkupDocument::Parse() {
  elements_.clear();
  attributes_.clear();
  NewElement(0, 0);  // the document slot
  elements_[0].child = 0;

  wchar_t* p = buffer_.data();
  uint32_t parent = 0;
  // The last child of every open element, innermost last.
  std::vector<uint32_t> last_child{0};
  // Set when an element's text was cut off by writing its terminator over
  // the "<" that follows it.
  bool cut_tag_start = false;

  for (;;) {
    if (!cut_tag_start) SkipWhitespace(p);
    const wchar_t first = cut_tag_start ? L'<' : *p;
    cut_tag_start = false;
    if (first == 0) {
      if (parent != 0) return Fail(L"Expected end-tag start", p);
      if (elements_.size() == 1) return Fail(L"Expected start tag", p);
      return true;
    }
    if (first != L'<') return Fail(L"Expected start tag", p);
    if (p[1] == L'?') {
      p += 2;
      SkipPast(p, L"?>");
      continue;
    }
    if (p[1] == L'!') {
      p += 2;
      SkipPast(p, L"->");
      continue;
    }
    if (p[1] == L'/') {
      wchar_t* name = p + 2;
      if (parent == 0) return Fail(L"Unmatched closing tag", name);
      p = name;
      while (IsNameChar(*p)) ++p;
      const wchar_t* open_name = buffer_.data() + elements_[parent].name;
      const size_t length = static_cast<size_t>(p - name);
      if (std::wcslen(open_name) != length || std::wmemcmp(open_name, name, length) != 0) {
        return Fail(L"Unmatched closing tag", name);
      }
      SkipWhitespace(p);
      if (*p != L'>') return Fail(L"Unmatched closing tag", name);
      ++p;
      parent = elements_[parent].parent;
      last_child.pop_back();
      continue;
    }

    const uint32_t element = NewElement(parent, last_child.back());
    last_child.back() = element;
    ++p;
    bool self_closing = false;
    if (!ParseStartTag(p, element, &self_closing)) return false;
    if (self_closing) continue;
    wchar_t* text = p;
    while (*p != 0 && *p != L'<') ++p;
    if (p != text) {
      wchar_t* text_end = DecodeEntities(text, p);
      cut_tag_start = (text_end == p && *p == L'<');
      *text_end = 0;
      elements_[element].text = OffsetOf(text);
    }
    parent = element;
    last_child.push_back(0);
  }
}

}  // namespace ui
