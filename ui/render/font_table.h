// The process-wide table of named fonts that skins refer to by id.
//
// Skins never describe a font in a control: a control names a font id
// ("system_14") and this table turns the id into a GDI font. It is filled
// from global.xml when the framework starts and is read by everything that
// draws or measures text. UI thread only.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "base/unique_any.h"

namespace ui {

struct FontEntry {
  base::unique_hfont font;
  std::wstring face;  // The face actually used ("system" already replaced).
  int size = 0;       // Pixels.
  bool bold = false;
  bool underline = false;
  bool italic = false;
  TEXTMETRICW metrics{};  // Starts zeroed; filled by whoever needs it.
};

class FontTable {
 public:
  FontTable() = default;
  FontTable(const FontTable&) = delete;
  FontTable& operator=(const FontTable&) = delete;

  // Creates the font and stores it under `id`, replacing an entry with the
  // same id. `is_default` makes `id` the default font id. A face of "system"
  // becomes the platform's UI face ("微软雅黑" on Vista and later). Returns the
  // new font, or null (and registers nothing) when GDI cannot create it.
  HFONT AddFont(const std::wstring& id, const std::wstring& face, int size, bool bold,
                bool underline, bool italic, bool is_default);

  // The font of `id`; an empty id means the default font. An id that was
  // never registered also gives the default font (null when there is none),
  // so a skin with a misspelt id still draws readable text.
  HFONT GetFont(const std::wstring& id) const;
  // Same lookup rules as GetFont; null when nothing matches.
  const FontEntry* GetFontEntry(const std::wstring& id) const;
  // The logical font of `id` (same lookup rules); false when there is none.
  bool GetLogFont(const std::wstring& id, LOGFONTW* out) const;

  const std::wstring& GetDefaultFontId() const { return default_id_; }
  size_t GetFontCount() const { return fonts_.size(); }

  // Deletes every font and empties the table (a shut-down step).
  void RemoveAllFonts();

  // DPI adaptation scales font sizes by `scale_percent` / 100 when on. The
  // installer never turns it on.
  void SetDpiAdaptation(bool adapt, int scale_percent);

  // The face "system" stands for on this Windows version.
  static std::wstring SystemFaceName();

 private:
  std::map<std::wstring, FontEntry> fonts_;
  std::wstring default_id_;
  bool adapt_dpi_ = false;
  int dpi_scale_ = 100;
};

}  // namespace ui
