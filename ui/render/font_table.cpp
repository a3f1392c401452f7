#include "ui/render/font_table.h"

#include <versionhelpers.h>

#include <cwchar>

namespace ui {

std::wstring FontTable::SystemFaceName() {
  return ::IsWindowsVistaOrGreater() ? L"微软雅黑" : L"新宋体";
}

HFONT FontTable::AddFont(const std::wstring& id, const std::wstring& face, int size, bool bold,
                         bool underline, bool italic, bool is_default) {
  // Start from the stock GUI font so everything not named here (quality,
  // pitch, ...) matches what the system itself uses.
  LOGFONTW logfont{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logfont), &logfont);

  std::wstring used_face = face == L"system" ? SystemFaceName() : face;
  // LOGFONTW holds at most LF_FACESIZE - 1 characters; a longer face is cut
  // rather than written past the field.
  ::wcsncpy(logfont.lfFaceName, used_face.c_str(), LF_FACESIZE - 1);
  logfont.lfFaceName[LF_FACESIZE - 1] = L'\0';
  logfont.lfCharSet = DEFAULT_CHARSET;
  int pixels = adapt_dpi_ ? ::MulDiv(size, dpi_scale_, 100) : size;
  logfont.lfHeight = -pixels;
  if (bold) logfont.lfWeight += FW_BOLD;
  logfont.lfUnderline = underline ? TRUE : FALSE;
  logfont.lfItalic = italic ? TRUE : FALSE;

  base::unique_hfont font(::CreateFontIndirectW(&logfont));
  if (!font) return nullptr;
  HFONT handle = font.get();

  FontEntry entry;
  entry.font = std::move(font);
  entry.face = used_face;
  entry.size = size;
  entry.bold = bold;
  entry.underline = underline;
  entry.italic = italic;
  fonts_[id] = std::move(entry);
  if (is_default) default_id_ = id;
  return handle;
}

const FontEntry* FontTable::GetFontEntry(const std::wstring& id) const {
  auto it = fonts_.find(id.empty() ? default_id_ : id);
  if (it == fonts_.end() && !id.empty()) it = fonts_.find(default_id_);
  return it == fonts_.end() ? nullptr : &it->second;
}

HFONT FontTable::GetFont(const std::wstring& id) const {
  const FontEntry* entry = GetFontEntry(id);
  return entry ? entry->font.get() : nullptr;
}

bool FontTable::GetLogFont(const std::wstring& id, LOGFONTW* out) const {
  HFONT font = GetFont(id);
  return font && ::GetObjectW(font, sizeof(*out), out) == sizeof(*out);
}

void FontTable::RemoveAllFonts() {
  fonts_.clear();
  default_id_.clear();
}

void FontTable::SetDpiAdaptation(bool adapt, int scale_percent) {
  adapt_dpi_ = adapt;
  dpi_scale_ = scale_percent > 0 ? scale_percent : 100;
}

}  // namespace ui
