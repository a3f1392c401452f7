#include "ui/resources/markup/markup_document.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "base/text/text_conversion.h"
#include "base/text/trim.h"
#include "base/unique_any.h"
#include "ui/resources/markup/markup_node.h"

namespace ui {
namespace {

constexpr size_t kMaxErrorMessage = 99;
constexpr size_t kMaxErrorLocation = 49;

bool IsWhitespace(wchar_t c) { return base::IsBlank(c, base::Blanks::kMarkupSpace); }

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
  tree_.buffer.clear();
  tree_.elements.clear();
  tree_.attributes.clear();
  error_message_.clear();
  error_location_.clear();
}

void MarkupDocument::Release() {
  tree_.buffer.clear();
  tree_.buffer.shrink_to_fit();
  tree_.elements.clear();
  tree_.elements.shrink_to_fit();
  tree_.attributes.clear();
  tree_.attributes.shrink_to_fit();
  error_message_.clear();
  error_location_.clear();
}

MarkupNode MarkupDocument::GetRoot() const {
  if (!IsValid()) return MarkupNode();
  return MarkupNode(&tree_, tree_.elements[0].child);
}

bool MarkupDocument::Load(std::wstring_view text) {
  Clear();
  tree_.buffer.reserve(text.size() + 2);
  tree_.buffer.assign(text.begin(), text.end());
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
    // Decoded straight into the document's buffer, with room for the two
    // terminators ParseBuffer appends: no intermediate copy.
    if (!base::DecodeTextInto(std::string_view(bytes, size), base::kUtf8CodePage, tree_.buffer, 2)) {
      return Fail(L"Could not read file", L"");
    }
  }
  return ParseBuffer();
}

bool MarkupDocument::ParseBuffer() {
  // Two terminators, so the one-character look-ahead after a "<" at the very
  // end never leaves the buffer.
  tree_.buffer.push_back(0);
  tree_.buffer.push_back(0);
  if (tree_.buffer.size() >= UINT32_MAX) return Fail(L"File too large", L"");
  if (!Parse()) {
    // Half-parsed state must not look like a document.
    tree_.elements.clear();
    tree_.attributes.clear();
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
  return static_cast<uint32_t>(p - tree_.buffer.data());
}

uint32_t MarkupDocument::NewElement(uint32_t parent, uint32_t previous_sibling) {
  if (tree_.elements.size() == tree_.elements.capacity()) {
    tree_.elements.reserve(tree_.elements.capacity() + tree_.elements.capacity() / 2 + 500);
  }
  const uint32_t index = static_cast<uint32_t>(tree_.elements.size());
  MarkupTree::Element element;
  element.parent = parent;
  tree_.elements.push_back(element);
  if (previous_sibling != 0) {
    tree_.elements[previous_sibling].next = index;
  } else {
    tree_.elements[parent].child = index;
  }
  return index;
}

// Reads the attributes of a start tag up to its closing "/>" or ">".
bool MarkupDocument::ParseAttributes(wchar_t*& p, uint32_t element) {
  tree_.elements[element].first_attribute = static_cast<uint32_t>(tree_.attributes.size());
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
    tree_.attributes.push_back(MarkupTree::Attribute{OffsetOf(name), OffsetOf(value)});
    ++tree_.elements[element].attribute_count;
    SkipWhitespace(p);
  }
  return true;
}

// Reads "name attributes" after a "<" and moves past the "/>" or ">".
bool MarkupDocument::ParseStartTag(wchar_t*& p, uint32_t element, bool* self_closing) {
  wchar_t* name = p;
  while (IsNameChar(*p)) ++p;
  if (p == name) return Fail(L"Error parsing element name", p);
  tree_.elements[element].name = OffsetOf(name);
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
  tree_.elements.clear();
  tree_.attributes.clear();
  NewElement(0, 0);  // the document slot
  tree_.elements[0].child = 0;

  wchar_t* p = tree_.buffer.data();
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
      if (tree_.elements.size() == 1) return Fail(L"Expected start tag", p);
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
      const wchar_t* open_name = tree_.buffer.data() + tree_.elements[parent].name;
      const size_t length = static_cast<size_t>(p - name);
      if (std::wcslen(open_name) != length || std::wmemcmp(open_name, name, length) != 0) {
        return Fail(L"Unmatched closing tag", name);
      }
      SkipWhitespace(p);
      if (*p != L'>') return Fail(L"Unmatched closing tag", name);
      ++p;
      parent = tree_.elements[parent].parent;
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
      tree_.elements[element].text = OffsetOf(text);
    }
    parent = element;
    last_child.push_back(0);
  }
}

}  // namespace ui
