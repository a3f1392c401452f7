#include "ui/resources/language_strings.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "base/text/text_conversion.h"
#include "base/text/trim.h"

namespace ui {
namespace {

// A line is trimmed of blanks and of every character below U+001E (tabs,
// CR, LF and the other control characters).
std::wstring_view Trim(std::wstring_view text) {
  return base::TrimBlanks(text, base::Blanks::kLanguageLine);
}

}  // namespace

void LanguageStrings::AddLine(std::string_view utf8_line) {
  const std::wstring decoded = base::WideFromUtf8(utf8_line);
  const std::wstring_view line = Trim(decoded);
  if (line.empty()) return;

  // Split at "=", dropping empty pieces; only KEY=VALUE lines count.
  std::wstring_view pieces[2];
  size_t count = 0;
  size_t start = 0;
  while (start <= line.size()) {
    size_t end = line.find(L'=', start);
    if (end == std::wstring_view::npos) end = line.size();
    if (end > start) {
      if (count == 2) return;  // a second "=" somewhere
      pieces[count++] = line.substr(start, end - start);
    }
    start = end + 1;
  }
  if (count != 2) return;
  const std::wstring_view key = Trim(pieces[0]);
  const std::wstring_view value = Trim(pieces[1]);
  if (key.find(L';') != std::wstring_view::npos) return;
  strings_[std::wstring(key)] = std::wstring(value);
}

bool LanguageStrings::LoadFromFile(const std::wstring& path) {
  strings_.clear();
  FILE* file = _wfopen(path.c_str(), L"rt");
  if (file == nullptr) return false;
  // Lines longer than the buffer are taken as several lines.
  std::vector<char> line(4096);
  while (std::fgets(line.data(), static_cast<int>(line.size()), file) != nullptr) {
    AddLine(line.data());
  }
  std::fclose(file);
  return true;
}

void LanguageStrings::LoadFromMemory(const void* data, size_t size) {
  strings_.clear();
  if (data == nullptr) return;
  const char* bytes = static_cast<const char*>(data);
  size_t start = 0;
  for (size_t i = 0; i <= size; ++i) {
    if (i == size || bytes[i] == '\n' || bytes[i] == '\0') {
      if (i > start) AddLine(std::string_view(bytes + start, i - start));
      start = i + 1;
    }
  }
}

std::wstring LanguageStrings::Lookup(const std::wstring& id) const {
  if (id.empty()) return std::wstring();
  auto it = strings_.find(id);
  if (it == strings_.end()) return std::wstring();
  std::wstring text;
  const std::wstring& value = it->second;
  text.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == L'\\' && i + 1 < value.size() && (value[i + 1] == L'n' || value[i + 1] == L'r')) {
      text.push_back(value[i + 1] == L'n' ? L'\n' : L'\r');
      ++i;
    } else {
      text.push_back(value[i]);
    }
  }
  return text;
}

}  // namespace ui
