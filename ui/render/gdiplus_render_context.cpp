#include "ui/render/gdiplus_render_context.h"

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "base/startup_trace.h"
#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/render/gdiplus_render_objects.h"

namespace ui {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
// The start of the tile that holds `from` on a grid of `tile`-wide cells
// that begins at `origin` (origin <= from).
int FirstTileStart(int origin, int from, int tile) {
  const long long cells = (static_cast<long long>(from) - origin) / tile;
  return static_cast<int>(origin + cells * tile);
}

bool Meets(const RECT& a, const RECT& b) {
  RECT unused;
  return ::IntersectRect(&unused, &a, &b) != FALSE;
}

// A GDI+ Graphics over the context's DC that draws in the context's
// coordinates. The DC's window origin is set to 0 for the Graphics' lifetime
// and given to GDI+ as a translation instead, so GDI+ builds that do and do
// not read the DC's mapping draw to the same pixels. The clip region is kept
// in device units by GDI, so it is unaffected.
class DcGraphics {
 public:
  explicit DcGraphics(HDC dc) : dc_(dc) {
    ::GetWindowOrgEx(dc_, &origin_);
    ::SetWindowOrgEx(dc_, 0, 0, nullptr);
    graphics_.emplace(dc_);
    graphics_->TranslateTransform(static_cast<Gdiplus::REAL>(-origin_.x),
                                  static_cast<Gdiplus::REAL>(-origin_.y));
  }
  ~DcGraphics() {
    graphics_.reset();
    ::SetWindowOrgEx(dc_, origin_.x, origin_.y, nullptr);
  }
  DcGraphics(const DcGraphics&) = delete;
  DcGraphics& operator=(const DcGraphics&) = delete;
  Gdiplus::Graphics* operator->() { return &*graphics_; }
  Gdiplus::Graphics& get() { return *graphics_; }

 private:
  HDC dc_;
  POINT origin_{};
  std::optional<Gdiplus::Graphics> graphics_;
};

// A tile of a 32-bit image repeated `across` x `down` times into a bitmap of
// its own, so that a tiny image tiled over a large area takes few blits.
// The bits are copied unchanged, alpha included.
class RepeatedTile {
 public:
  bool Make(HDC like, HDC source, const RECT& tile, int across, int down) {
    const int tw = Width(tile), th = Height(tile);
    const long long pixels = 1LL * tw * across * th * down;
    if (pixels <= 0 || pixels > kMaxPixels) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = tw * across;
    info.bmiHeader.biHeight = -th * down;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(::CreateCompatibleDC(like));
    if (!bitmap_ || !dc_) return false;
    select_ = base::unique_select_object(dc_.get(), bitmap_.get());
    HDC dc = dc_.get();
    if (!::BitBlt(dc, 0, 0, tw, th, source, tile.left, tile.top, SRCCOPY)) return false;
    // Doubling what is there already: a handful of copies for any count.
    for (int done = tw; done < tw * across; done += std::min(done, tw * across - done))
      ::BitBlt(dc, done, 0, std::min(done, tw * across - done), th, dc, 0, 0, SRCCOPY);
    for (int done = th; done < th * down; done += std::min(done, th * down - done))
      ::BitBlt(dc, 0, done, tw * across, std::min(done, th * down - done), dc, 0, 0, SRCCOPY);
    return true;
  }
  HDC dc() const { return dc_.get(); }

 private:
  static constexpr long long kMaxPixels = 4 * 1024 * 1024;
  base::unique_hdc dc_;
  base::unique_hbitmap bitmap_;
  base::unique_select_object select_;
};

// Tiles narrower or lower than this are repeated to about this size first.
constexpr int kMinTileSide = 64;

Gdiplus::Color ToColor(DWORD argb) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb)); }

// The font of `font_id` as a GDI+ font, built from its logical font: going
// through the ANSI face name would lose faces the code page cannot spell.
// Falls back to the DC's current font.
std::unique_ptr<Gdiplus::Font> MakeFont(HDC dc, const FontTable* fonts,
                                        const std::wstring& font_id) {
  base::StartupCost cost("GDI+ font objects");
  LOGFONTW logfont{};
  if (fonts && fonts->GetLogFont(font_id, &logfont)) {
    auto font = std::make_unique<Gdiplus::Font>(dc, &logfont);
    if (font->GetLastStatus() == Gdiplus::Ok) return font;
  }
  auto font = std::make_unique<Gdiplus::Font>(dc);
  if (font->GetLastStatus() == Gdiplus::Ok) return font;
  return nullptr;
}

}  // namespace

RenderContext_GdiPlus::RenderContext_GdiPlus(const FontTable* fonts, ColorTable* colors)
    : fonts_(fonts), colors_(colors), dc_(::CreateCompatibleDC(nullptr)) {}

RenderContext_GdiPlus::~RenderContext_GdiPlus() = default;

bool RenderContext_GdiPlus::Resize(int width, int height, bool top_down) {
  if (bitmap_.GetBitmap() && bitmap_.GetWidth() == width && bitmap_.GetHeight() == height)
    return false;
  // The DC lets go of the old bitmap before it is replaced.
  selected_bitmap_.reset();
  bitmap_.Init(dc_.get(), width, height, top_down);
  if (dc_ && bitmap_.GetBitmap()) {
    selected_bitmap_ = base::unique_select_object(dc_.get(), bitmap_.GetBitmap());
  }
  return true;
}

void RenderContext_GdiPlus::Clear() { bitmap_.Clear(); }

std::unique_ptr<IRenderContext> RenderContext_GdiPlus::Clone() {
  auto copy = std::make_unique<RenderContext_GdiPlus>(fonts_, colors_);
  copy->transparent_ = transparent_;
  if (bitmap_.GetBitmap()) {
    copy->Resize(bitmap_.GetWidth(), bitmap_.GetHeight(), bitmap_.IsTopDown());
    if (copy->GetBits()) {
      ::GdiFlush();
      std::memcpy(copy->GetBits(), bitmap_.GetBits(),
                  static_cast<size_t>(bitmap_.GetWidth()) * bitmap_.GetHeight() * 4);
    }
  }
  return copy;
}

HBITMAP RenderContext_GdiPlus::DetachBitmap() {
  selected_bitmap_.reset();
  return bitmap_.DetachBitmap();
}

void RenderContext_GdiPlus::ClearAlpha(const RECT& rect, BYTE value) {
  bitmap_.ClearAlpha(rect, value);
}

void RenderContext_GdiPlus::RestoreAlpha(const RECT& rect, const RECT& corners, BYTE key,
                                         const RECT* dirty) {
  bitmap_.RestoreAlpha(rect, corners, key, dirty);
}

bool RenderContext_GdiPlus::SetRenderTransparent(bool transparent) {
  return std::exchange(transparent_, transparent);
}

void RenderContext_GdiPlus::Save() {
  if (::SaveDC(dc_.get()) != 0) ++save_depth_;
}

void RenderContext_GdiPlus::Restore() {
  // Restoring the most recent save (not a remembered id) keeps nested
  // save/clip pairs balanced: an inner restore cannot swallow the outer one.
  if (save_depth_ == 0) return;
  ::RestoreDC(dc_.get(), -1);
  --save_depth_;
}

POINT RenderContext_GdiPlus::OffsetWindowOrg(POINT delta) {
  POINT old{};
  ::GetWindowOrgEx(dc_.get(), &old);
  ::SetWindowOrgEx(dc_.get(), old.x + delta.x, old.y + delta.y, nullptr);
  return old;
}

POINT RenderContext_GdiPlus::SetWindowOrg(POINT origin) {
  POINT old{};
  ::SetWindowOrgEx(dc_.get(), origin.x, origin.y, &old);
  return old;
}

POINT RenderContext_GdiPlus::GetWindowOrg() const {
  POINT origin{};
  ::GetWindowOrgEx(dc_.get(), &origin);
  return origin;
}

void RenderContext_GdiPlus::SetClip(const RECT& rect) {
  Save();
  // Clip regions are in device pixels: move the rectangle by the origin.
  POINT origin = GetWindowOrg();
  base::unique_hrgn region(::CreateRectRgn(rect.left - origin.x, rect.top - origin.y,
                                           rect.right - origin.x, rect.bottom - origin.y));
  ::ExtSelectClipRgn(dc_.get(), region.get(), RGN_AND);
}

void RenderContext_GdiPlus::SetRoundClip(const RECT& rect, int width, int height) {
  Save();
  POINT origin = GetWindowOrg();
  base::unique_hrgn region(::CreateRoundRectRgn(rect.left - origin.x, rect.top - origin.y,
                                                rect.right - origin.x + 1,
                                                rect.bottom - origin.y + 1, width, height));
  ::ExtSelectClipRgn(dc_.get(), region.get(), RGN_AND);
}

void RenderContext_GdiPlus::ClearClip() { Restore(); }

bool RenderContext_GdiPlus::BitBlt(int x, int y, int cx, int cy, HDC source, int x_source,
                                   int y_source, DWORD rop) {
  return ::BitBlt(dc_.get(), x, y, cx, cy, source, x_source, y_source, rop) != FALSE;
}

bool RenderContext_GdiPlus::AlphaBlend(int x, int y, int cx, int cy, HDC source, int x_source,
                                       int y_source, int cx_source, int cy_source, BYTE opacity) {
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
  return ::AlphaBlend(dc_.get(), x, y, cx, cy, source, x_source, y_source, cx_source, cy_source,
                      blend) != FALSE;
}

void RenderContext_GdiPlus::DrawImagePart(HDC source_dc, bool use_alpha_blend, BYTE opacity,
                                          const RECT& dest, const RECT& source) {
  if (IsEmpty(dest) || IsEmpty(source)) return;
  bool scaled = Width(dest) != Width(source) || Height(dest) != Height(source);
  if (use_alpha_blend || !scaled) {
    AlphaBlend(dest.left, dest.top, Width(dest), Height(dest), source_dc, source.left, source.top,
               Width(source), Height(source), opacity);
  } else {
    ::StretchBlt(dc_.get(), dest.left, dest.top, Width(dest), Height(dest), source_dc,
                 source.left, source.top, Width(source), Height(source), SRCCOPY);
  }
}

void RenderContext_GdiPlus::DrawImage(const RECT& paint, HBITMAP bitmap, bool has_alpha,
                                      const RECT& dest, const RECT& source, const RECT& corners,
                                      BYTE opacity, bool x_tiled, bool y_tiled) {
  if (!bitmap || !Meets(dest, paint)) return;
  BITMAP info{};
  if (::GetObjectW(bitmap, sizeof(info), &info) == 0) return;
  // A source rectangle reaching past the image would make every blit fail;
  // draw the part that exists.
  RECT image = {0, 0, info.bmWidth, std::abs(info.bmHeight)};
  RECT src;
  if (!::IntersectRect(&src, &source, &image)) return;

  base::unique_hdc source_dc(::CreateCompatibleDC(dc_.get()));
  if (!source_dc) return;
  base::unique_select_object select(source_dc.get(), bitmap);
  // A destination larger than the control (an image dest reaching past it)
  // must not paint over its neighbours.
  ScopedRenderClip clip(*this, paint);
  ::SetStretchBltMode(dc_.get(), HALFTONE);
  ::SetBrushOrgEx(dc_.get(), 0, 0, nullptr);

  const bool alpha_blend = transparent_ || has_alpha || opacity < 255;
  HDC sdc = source_dc.get();
  // Negative insets make no sense and would turn parts inside out.
  const LONG cl = std::max<LONG>(corners.left, 0), ct = std::max<LONG>(corners.top, 0);
  const LONG cr = std::max<LONG>(corners.right, 0), cb = std::max<LONG>(corners.bottom, 0);

  RECT dest_centre = {dest.left + cl, dest.top + ct, dest.right - cr, dest.bottom - cb};
  RECT src_centre = {src.left + cl, src.top + ct, src.right - cr, src.bottom - cb};

  // Centre.
  if (!IsEmpty(dest_centre) && !IsEmpty(src_centre) && Meets(dest_centre, paint)) {
    if (!x_tiled && !y_tiled) {
      DrawImagePart(sdc, alpha_blend, opacity, dest_centre, src_centre);
    } else {
      HDC tile_dc = sdc;
      RECT tile_src = src_centre;
      RepeatedTile repeated;
      const int across = x_tiled ? std::max(1, kMinTileSide / Width(src_centre)) : 1;
      const int down = y_tiled ? std::max(1, kMinTileSide / Height(src_centre)) : 1;
      if ((across > 1 || down > 1) && info.bmBitsPixel == 32 &&
          repeated.Make(dc_.get(), sdc, src_centre, across, down)) {
        tile_dc = repeated.dc();
        tile_src = {0, 0, Width(src_centre) * across, Height(src_centre) * down};
      }
      const int tile_w = x_tiled ? Width(tile_src) : Width(dest_centre);
      const int tile_h = y_tiled ? Height(tile_src) : Height(dest_centre);
      // Only the tiles that meet what is painted (the paint rectangle inside
      // the clip) are drawn: a tiny image over a large control has more
      // tiles than any paint could show. They keep their places on the
      // destination's grid.
      RECT visible = paint;
      RECT clip_box;
      if (::GetClipBox(dc_.get(), &clip_box) != ERROR) ::IntersectRect(&visible, &visible, &clip_box);
      RECT walk;
      if (::IntersectRect(&walk, &visible, &dest_centre)) {
        // 64-bit steps: the step past the last tile may pass INT_MAX.
        const long long first_x = FirstTileStart(dest_centre.left, walk.left, tile_w);
        for (long long row = FirstTileStart(dest_centre.top, walk.top, tile_h); row < walk.bottom;
             row += tile_h) {
          const int y = static_cast<int>(row);
          const int h = std::min<int>(tile_h, dest_centre.bottom - y);
          // The source of a cut tile is cut to match; an untiled direction is
          // stretched from the whole source.
          const int sh = y_tiled ? h : Height(tile_src);
          for (long long column = first_x; column < walk.right; column += tile_w) {
            const int x = static_cast<int>(column);
            const int w = std::min<int>(tile_w, dest_centre.right - x);
            const int sw = x_tiled ? w : Width(tile_src);
            RECT d = {x, y, x + w, y + h};
            RECT s = {tile_src.left, tile_src.top, tile_src.left + sw, tile_src.top + sh};
            DrawImagePart(tile_dc, alpha_blend, opacity, d, s);
          }
        }
      }
    }
  }

  // Corners, at their source size.
  if (cl > 0 && ct > 0)
    DrawImagePart(sdc, alpha_blend, opacity, {dest.left, dest.top, dest.left + cl, dest.top + ct},
                  {src.left, src.top, src.left + cl, src.top + ct});
  if (cr > 0 && ct > 0)
    DrawImagePart(sdc, alpha_blend, opacity,
                  {dest.right - cr, dest.top, dest.right, dest.top + ct},
                  {src.right - cr, src.top, src.right, src.top + ct});
  if (cl > 0 && cb > 0)
    DrawImagePart(sdc, alpha_blend, opacity,
                  {dest.left, dest.bottom - cb, dest.left + cl, dest.bottom},
                  {src.left, src.bottom - cb, src.left + cl, src.bottom});
  if (cr > 0 && cb > 0)
    DrawImagePart(sdc, alpha_blend, opacity,
                  {dest.right - cr, dest.bottom - cb, dest.right, dest.bottom},
                  {src.right - cr, src.bottom - cb, src.right, src.bottom});

  // Edges, stretched along their length.
  if (cl > 0)
    DrawImagePart(sdc, alpha_blend, opacity,
                  {dest.left, dest.top + ct, dest.left + cl, dest.bottom - cb},
                  {src.left, src.top + ct, src.left + cl, src.bottom - cb});
  if (ct > 0)
    DrawImagePart(sdc, alpha_blend, opacity,
                  {dest.left + cl, dest.top, dest.right - cr, dest.top + ct},
                  {src.left + cl, src.top, src.right - cr, src.top + ct});
  if (cr > 0)
    DrawImagePart(sdc, alpha_blend, opacity,
                  {dest.right - cr, dest.top + ct, dest.right, dest.bottom - cb},
                  {src.right - cr, src.top + ct, src.right, src.bottom - cb});
  if (cb > 0)
    DrawImagePart(sdc, alpha_blend, opacity,
                  {dest.left + cl, dest.bottom - cb, dest.right - cr, dest.bottom},
                  {src.left + cl, src.bottom - cb, src.right - cr, src.bottom});
}

void RenderContext_GdiPlus::DrawColor(const RECT& rect, const std::wstring& color_name,
                                      BYTE opacity) {
  if (color_name.empty() || !colors_) return;
  DWORD argb = colors_->LookupColor(color_name);
  if (argb == 0) return;
  FillRect(rect, argb, opacity);
}

void RenderContext_GdiPlus::FillRect(const RECT& rect, DWORD argb, BYTE opacity) {
  if (opacity != 255) {
    DWORD alpha = (argb >> 24) * opacity / 255;
    argb = (alpha << 24) | (argb & 0x00FFFFFF);
  }
  DcGraphics graphics(dc_.get());
  Gdiplus::SolidBrush brush(ToColor(argb));
  graphics->FillRectangle(&brush, Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left),
                                                 static_cast<Gdiplus::REAL>(rect.top),
                                                 static_cast<Gdiplus::REAL>(Width(rect)),
                                                 static_cast<Gdiplus::REAL>(Height(rect))));
}

void RenderContext_GdiPlus::DrawLine(const IPen& pen, POINT from, POINT to) {
  auto* gdiplus_pen = dynamic_cast<const Pen_GdiPlus*>(&pen);
  if (!gdiplus_pen) return;
  DcGraphics graphics(dc_.get());
  graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics->DrawLine(gdiplus_pen->GetPen(), static_cast<INT>(from.x), static_cast<INT>(from.y),
                     static_cast<INT>(to.x), static_cast<INT>(to.y));
}

void RenderContext_GdiPlus::DrawLine(const RECT& rect, int width, DWORD argb) {
  DcGraphics graphics(dc_.get());
  Gdiplus::Pen pen(ToColor(argb), static_cast<Gdiplus::REAL>(width));
  graphics->DrawLine(&pen, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                     static_cast<INT>(rect.right), static_cast<INT>(rect.bottom));
}

void RenderContext_GdiPlus::DrawBezier(const IPen& pen, POINT p1, POINT p2, POINT p3, POINT p4) {
  auto* gdiplus_pen = dynamic_cast<const Pen_GdiPlus*>(&pen);
  if (!gdiplus_pen) return;
  DcGraphics graphics(dc_.get());
  graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics->DrawBezier(gdiplus_pen->GetPen(), Gdiplus::Point(p1.x, p1.y),
                       Gdiplus::Point(p2.x, p2.y), Gdiplus::Point(p3.x, p3.y),
                       Gdiplus::Point(p4.x, p4.y));
}

void RenderContext_GdiPlus::DrawRect(const RECT& rect, int width, DWORD argb) {
  DcGraphics graphics(dc_.get());
  Gdiplus::Pen pen(ToColor(argb), static_cast<Gdiplus::REAL>(width));
  graphics->DrawRectangle(&pen, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                          static_cast<INT>(Width(rect)), static_cast<INT>(Height(rect)));
}

void RenderContext_GdiPlus::DrawRoundRect(const RECT& rect, SIZE ellipse, int width, DWORD argb) {
  const int w = Width(rect), h = Height(rect);
  const int ew = std::min<int>(ellipse.cx, w), eh = std::min<int>(ellipse.cy, h);
  if (ew <= 0 || eh <= 0) {
    DrawRect(rect, width, argb);
    return;
  }
  Gdiplus::GraphicsPath path;
  const INT l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  path.AddArc(l, t, ew, eh, 180, 90);
  path.AddArc(r - ew, t, ew, eh, 270, 90);
  path.AddArc(r - ew, b - eh, ew, eh, 0, 90);
  path.AddArc(l, b - eh, ew, eh, 90, 90);
  path.CloseFigure();
  DcGraphics graphics(dc_.get());
  graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  Gdiplus::Pen pen(ToColor(argb), static_cast<Gdiplus::REAL>(width));
  graphics->DrawPath(&pen, &path);
}

void RenderContext_GdiPlus::DrawPath(const IPath& path, const IPen& pen) {
  auto* gdiplus_path = dynamic_cast<const Path_Gdiplus*>(&path);
  auto* gdiplus_pen = dynamic_cast<const Pen_GdiPlus*>(&pen);
  if (!gdiplus_path || !gdiplus_pen) return;
  DcGraphics graphics(dc_.get());
  graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics->DrawPath(gdiplus_pen->GetPen(), gdiplus_path->GetPath());
}

void RenderContext_GdiPlus::FillPath(const IPath& path, const IBrush& brush) {
  auto* gdiplus_path = dynamic_cast<const Path_Gdiplus*>(&path);
  auto* gdiplus_brush = dynamic_cast<const Brush_Gdiplus*>(&brush);
  if (!gdiplus_path || !gdiplus_brush) return;
  DcGraphics graphics(dc_.get());
  graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics->FillPath(gdiplus_brush->GetBrush(), gdiplus_path->GetPath());
}

void RenderContext_GdiPlus::RenderText(const RECT& rect, const std::wstring& text, DWORD argb,
                                       const std::wstring& font_id, UINT format, BYTE opacity,
                                       bool line_limit) {
  if (text.empty()) return;
  base::StartupCost cost("text measuring and drawing (fonts included)");
  std::unique_ptr<Gdiplus::Font> font = MakeFont(dc_.get(), fonts_, font_id);
  if (!font) return;

  // A fully opaque brush makes GDI+ pick sub-pixel (ClearType) edges, whose
  // colour fringes look wrong once the bitmap is blended by its alpha; one
  // step below opaque keeps the edges greyscale.
  DWORD alpha = (argb >> 24) * opacity / 255;
  if (alpha == 255) alpha = 254;
  Gdiplus::SolidBrush brush(ToColor((alpha << 24) | (argb & 0x00FFFFFF)));

  Gdiplus::StringFormat string_format(Gdiplus::StringFormat::GenericTypographic());
  if (format & DT_END_ELLIPSIS) string_format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
  INT flags = 0;
  if (format & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
  if (format & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
  if (line_limit) flags |= Gdiplus::StringFormatFlagsLineLimit;
  string_format.SetFormatFlags(flags);

  if (format & DT_CENTER) {
    string_format.SetAlignment(Gdiplus::StringAlignmentCenter);
  } else if (format & DT_RIGHT) {
    string_format.SetAlignment(Gdiplus::StringAlignmentFar);
  } else {
    string_format.SetAlignment(Gdiplus::StringAlignmentNear);
  }

  Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                        static_cast<Gdiplus::REAL>(Width(rect)),
                        static_cast<Gdiplus::REAL>(Height(rect)));
  if (format & DT_VCENTER) {
    string_format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    // This face sits a pixel high when centred; nudge it down where there is
    // room for it.
    const FontEntry* entry = fonts_ ? fonts_->GetFontEntry(font_id) : nullptr;
    if (entry && entry->face == L"新宋体" && Height(rect) >= entry->size + 2) layout.Y += 1;
  } else if (format & DT_BOTTOM) {
    string_format.SetLineAlignment(Gdiplus::StringAlignmentFar);
  } else {
    string_format.SetLineAlignment(Gdiplus::StringAlignmentNear);
  }

  DcGraphics graphics(dc_.get());
  // Text is cut at its rectangle unless DT_NOCLIP. The format flag alone
  // is not honoured by every GDI+ build, so the clip is set explicitly too.
  if (!(format & DT_NOCLIP)) graphics->SetClip(layout, Gdiplus::CombineModeIntersect);
  graphics->DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), layout,
                       &string_format, &brush);
}

RECT RenderContext_GdiPlus::MeasureTextBox(const std::wstring& text, const std::wstring& font_id,
                                           UINT format, int width_limit) {
  RECT result{};
  base::StartupCost cost("text measuring and drawing (fonts included)");
  std::unique_ptr<Gdiplus::Font> font = MakeFont(dc_.get(), fonts_, font_id);
  if (!font) return result;

  DcGraphics graphics(dc_.get());
  Gdiplus::StringFormat string_format(Gdiplus::StringFormat::GenericTypographic());
  if (format & DT_SINGLELINE)
    string_format.SetFormatFlags(string_format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);

  Gdiplus::RectF bounds;
  const INT length = static_cast<INT>(text.size());
  if (width_limit == -1) {
    graphics->MeasureString(text.c_str(), length, font.get(), Gdiplus::PointF(0, 0),
                            &string_format, &bounds);
  } else {
    Gdiplus::REAL height = 0;  // 0: unbounded.
    if (format & DT_SINGLELINE) {
      Gdiplus::RectF sample;
      graphics->MeasureString(L"测试", 2, font.get(), Gdiplus::PointF(0, 0), &string_format,
                              &sample);
      height = sample.Height;
    }
    Gdiplus::RectF layout(0, 0, static_cast<Gdiplus::REAL>(std::max(width_limit, 0)), height);
    graphics->MeasureString(text.c_str(), length, font.get(), layout, &string_format, &bounds);
  }
  result.left = static_cast<LONG>(bounds.X);
  result.top = static_cast<LONG>(bounds.Y);
  result.right = static_cast<LONG>(bounds.X + bounds.Width + 1);
  result.bottom = static_cast<LONG>(bounds.Y + bounds.Height + 1);
  return result;
}

}  // namespace ui
