#include "ui/widgets/rich_edit.h"

#include <algorithm>

#include "base/text/trim.h"
#include "base/unique_any.h"
#include "ui/controls/attribute_setters.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/render/font_table.h"
#include "ui/render/render_context.h"
#include "ui/resources/attribute_values.h"
#include "ui/resources/global_text_colors.h"
#include "ui/resources/skin_tables.h"

namespace ui {
namespace {

// The widest an auto-width text may grow before it wraps. The engine takes a
// width of 0 literally (one character per line), so "no limit" needs a number.
constexpr LONG kUnboundedWidth = 32767;

COLORREF ToColorRef(DWORD argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

std::wstring SkipLeadingBlanks(const std::wstring& value) {
  return std::wstring(base::TrimLeadingBlanks(value, base::Blanks::kSpacesAndTabs));
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

RichEdit::RichEdit()
    : normal_text_color_(SkinTextColors().normal_name),
      disabled_text_color_(SkinTextColors().normal_name) {}

RichEdit::~RichEdit() {
  if (host_) host_->Detach();
}

// --- the engine ----------------------------------------------------------------

bool RichEdit::EnsureHost() {
  if (host_) return true;
  if (host_failed_) return false;
  TextHostStyle style;
  style.bits = style_bits_;
  style.max_length = max_length_;
  style.rich = rich_;
  host_ = CTxtWinHost::Create(this, style, std::wstring());
  if (!host_) {
    // No engine on this system: the control shows nothing and is not retried.
    host_failed_ = true;
    return false;
  }
  // The engine lays its whole text out again on every format change: the
  // format goes in while there is no text yet, and the text once, last.
  host_->SetFont(SkinFonts().GetFont(font_id_));
  ApplyEngineColor();
  host_->SetClientRect(GetTextRect());
  if (!text_.empty()) host_->SetText(text_);
  return true;
}

CTxtWinHost* RichEdit::GetTextHost() { return EnsureHost() ? host_.get() : nullptr; }

HWND RichEdit::TextHostWindow() const { return window_ ? window_->GetHWND() : nullptr; }

void RichEdit::TextHostInvalidate() { Invalidate(); }

const std::wstring& RichEdit::CurrentTextColor() const {
  return IsEnabled() ? normal_text_color_ : disabled_text_color_;
}

void RichEdit::ApplyEngineColor() {
  if (!host_) return;
  host_->SetTextColor(ToColorRef(control_resources::LookupColor(CurrentTextColor())));
  Invalidate();
}

COLORREF RichEdit::GetEngineTextColor() const {
  return host_ ? host_->text_color() : CLR_INVALID;
}

// --- text ----------------------------------------------------------------------

std::wstring RichEdit::GetText() const { return host_ ? host_->GetText() : text_; }

void RichEdit::SetText(const std::wstring& text) {
  text_ = text;
  if (host_) host_->SetText(text);
  // A new text is shown from its start.
  if (vbar_) vbar_->SetScrollPos(0);
  if (hbar_) hbar_->SetScrollPos(0);
  LayoutScrollBars();
  if (IsAutoWidth() || IsAutoHeight()) {
    SetEstimateStale();
    ArrangeAncestor();
  } else {
    Invalidate();
  }
}

void RichEdit::SetTextId(const std::wstring& id) {
  text_id_ = id;
  SetText(control_resources::LookupString(id));
}

// --- styles --------------------------------------------------------------------

void RichEdit::SetStyleBit(DWORD bit, bool on) {
  if (on)
    style_bits_ |= bit;
  else
    style_bits_ &= ~bit;
  if (host_) host_->SetStyleBits(style_bits_);
  TextLayoutChanged();
}

void RichEdit::TextLayoutChanged() {
  SetEstimateStale();
  if (IsAutoWidth() || IsAutoHeight()) ArrangeAncestor();
}

std::unique_ptr<ScrollBar> RichEdit::MakeScrollBar(ScrollBar::Orientation orientation) {
  auto bar = std::make_unique<ScrollBar>(orientation);
  // The bar belongs to this control and dies with it.
  bar->on_scroll = [this](int) { Invalidate(); };
  if (window_) bar->SetWindow(window_, this, IsInited());
  return bar;
}

void RichEdit::ScrollBarsChanged() {
  SetEstimateStale();
  if (IsAutoWidth() || IsAutoHeight()) ArrangeAncestor();
  LayoutScrollBars();
  Invalidate();
}

POINT RichEdit::GetTextScrollPos() const {
  return POINT{hbar_ ? hbar_->GetScrollPos() : 0, vbar_ ? vbar_->GetScrollPos() : 0};
}

void RichEdit::SetVScrollBar(bool on) {
  if (on && !vbar_) vbar_ = MakeScrollBar(ScrollBar::Orientation::kVertical);
  if (!on) vbar_.reset();
  vscroll_bar_ = on;
  if (on) {
    style_bits_ |= WS_VSCROLL | ES_DISABLENOSCROLL;
  } else {
    style_bits_ &= ~WS_VSCROLL;
    if (!hscroll_bar_) style_bits_ &= ~ES_DISABLENOSCROLL;
  }
  if (host_) host_->SetStyleBits(style_bits_);
  ScrollBarsChanged();
}

void RichEdit::SetHScrollBar(bool on) {
  if (on && !hbar_) hbar_ = MakeScrollBar(ScrollBar::Orientation::kHorizontal);
  if (!on) hbar_.reset();
  hscroll_bar_ = on;
  if (on) {
    style_bits_ |= WS_HSCROLL | ES_DISABLENOSCROLL;
  } else {
    style_bits_ &= ~WS_HSCROLL;
    if (!vscroll_bar_) style_bits_ &= ~ES_DISABLENOSCROLL;
  }
  if (host_) host_->SetStyleBits(style_bits_);
  ScrollBarsChanged();
}

void RichEdit::SetRich(bool rich) {
  rich_ = rich;
  if (host_) host_->SetRich(rich);
  TextLayoutChanged();
}

void RichEdit::SetMaxLength(LONG length) {
  max_length_ = length;
  if (host_) host_->SetMaxLength(length);
}

void RichEdit::SetNormalTextColor(const std::wstring& color) {
  normal_text_color_ = color;
  if (IsEnabled()) ApplyEngineColor();
}

void RichEdit::SetDisabledTextColor(const std::wstring& color) {
  disabled_text_color_ = color;
  if (!IsEnabled()) ApplyEngineColor();
}

void RichEdit::SetFont(const std::wstring& font_id) {
  font_id_ = font_id;
  if (host_) host_->SetFont(SkinFonts().GetFont(font_id_));
  TextLayoutChanged();
  LayoutScrollBars();
  Invalidate();
}

// --- Control overrides -------------------------------------------------------------

void RichEdit::Init() {
  Box::Init();
  EnsureHost();
}

void RichEdit::SetWindow(IControlHost* window) {
  Box::SetWindow(window);
  for (ScrollBar* bar : {vbar_.get(), hbar_.get()}) {
    if (bar) bar->SetWindow(window, this, false);
  }
}

void RichEdit::SetWindow(IControlHost* window, Control* parent, bool init) {
  Box::SetWindow(window, parent, init);
  for (ScrollBar* bar : {vbar_.get(), hbar_.get()}) {
    if (bar) bar->SetWindow(window, this, init);
  }
}

Control* RichEdit::LocateControl(const FindControlProc& proc, POINT pt, UINT flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  for (ScrollBar* bar : {vbar_.get(), hbar_.get()}) {
    if (!bar) continue;
    if (Control* found = bar->LocateControl(proc, pt, flags)) return found;
  }
  return Box::LocateControl(proc, pt, flags);
}

void RichEdit::HandleEvent(EventArgs& event) {
  // The wheel scrolls the text even while the control is disabled: a
  // read-only text must still be readable to its end.
  if (event.type == kEventMouseScrollWheel && vbar_ && vbar_->GetRange() > 0) {
    vbar_->ScrollByWheel(static_cast<short>(event.wParam));
    return;
  }
  Box::HandleEvent(event);
}

void RichEdit::PaintChildren(IRenderContext* render, const RECT& dirty) {
  Box::PaintChildren(render, dirty);
  for (ScrollBar* bar : {vbar_.get(), hbar_.get()}) {
    if (bar && bar->IsVisible()) bar->Paint(render, dirty);
  }
}

void RichEdit::SetEnabled(bool enabled) {
  if (enabled == IsEnabled()) return;
  Box::SetEnabled(enabled);
  SetState(enabled ? kControlStateNormal : kControlStateDisabled);
  ApplyEngineColor();
}

RECT RichEdit::GetTextRect() const {
  RECT rect = GetPos();
  const RECT& padding = layout_->GetPadding();
  rect.left += padding.left;
  rect.top += padding.top;
  rect.right -= padding.right;
  rect.bottom -= padding.bottom;
  if (vbar_) rect.right -= ScrollBar::kThickness;
  if (hbar_) rect.bottom -= ScrollBar::kThickness;
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  return rect;
}

template <typename Fn>
bool RichEdit::WithMeasureDC(Fn&& fn) {
  IRenderContext* render = window_ ? window_->GetRenderContext() : nullptr;
  if (render && render->GetDC()) return fn(render->GetDC());
  base::unique_hdc dc(::CreateCompatibleDC(nullptr));
  return dc && fn(dc.get());
}

SIZE RichEdit::GetNaturalSize(LONG width, LONG) {
  SIZE natural{0, 0};
  if (!EnsureHost()) return natural;
  LONG limit = width > 0 ? width : kUnboundedWidth;
  if (!WithMeasureDC([&](HDC dc) { return host_->GetNaturalSize(dc, limit, &natural); }))
    natural = SIZE{0, 0};
  return natural;
}

SIZE RichEdit::MeasureSize(int available_width, int available_height) {
  if (!IsAutoWidth() && !IsAutoHeight()) return SIZE{fixed_width_, fixed_height_};
  SIZE result{fixed_width_, fixed_height_};
  if (!EnsureHost()) {
    if (IsAutoWidth()) result.cx = 0;
    if (IsAutoHeight()) result.cy = 0;
    return result;
  }
  const RECT& padding = layout_->GetPadding();
  // The bars take their room from the text's.
  const int pad_x = padding.left + padding.right + (vbar_ ? ScrollBar::kThickness : 0);
  const int pad_y = padding.top + padding.bottom + (hbar_ ? ScrollBar::kThickness : 0);
  // A fixed width is where the text wraps; an auto or stretching width wraps
  // at the room there is.
  LONG width_limit;
  if (fixed_width_ >= 0)
    width_limit = std::max(fixed_width_ - pad_x, 1);
  else
    width_limit = available_width - pad_x > 0 ? available_width - pad_x : kUnboundedWidth;
  // Measuring goes through the text engine: the estimate holds until the
  // text, its font or styles, the control's size wishes or the wrap width
  // change.
  if (!IsEstimateStale() && width_limit == estimate_width_limit_) return estimate_size_;
  SIZE natural = GetNaturalSize(width_limit);
  if (IsAutoWidth()) result.cx = natural.cx + pad_x;
  if (IsAutoHeight()) result.cy = natural.cy + pad_y;
  estimate_size_ = result;
  estimate_width_limit_ = width_limit;
  SetEstimateStale(false);
  return result;
}

void RichEdit::SetPos(RECT rect) {
  Box::SetPos(rect);
  if (host_) host_->SetClientRect(GetTextRect());
  LayoutScrollBars();
}

SIZE RichEdit::GetContentSize() {
  // Without a horizontal bar the text wraps at the width it is shown in.
  const RECT text = GetTextRect();
  return GetNaturalSize(hbar_ ? 0 : std::max(Width(text), 1));
}

void RichEdit::LayoutScrollBars() {
  if (!vbar_ && !hbar_) return;
  const RECT text = GetTextRect();
  if (vbar_) {
    vbar_->SetPos(RECT{text.right, text.top, text.right + ScrollBar::kThickness, text.bottom});
  }
  if (hbar_) {
    hbar_->SetPos(RECT{text.left, text.bottom, text.right, text.bottom + ScrollBar::kThickness});
  }
  if (::IsRectEmpty(&text)) return;
  const SIZE content = GetContentSize();
  if (vbar_) vbar_->SetRange(content.cy - Height(text), Height(text));
  if (hbar_) hbar_->SetRange(content.cx - Width(text), Width(text));
}

namespace {

// "true" turns a switch on, "false" off; other values leave it as it is.
template <typename Set>
void ApplyOnOff(const std::wstring& value, Set set) {
  if (value == L"true")
    set(true);
  else if (value == L"false")
    set(false);
}

}  // namespace

void RichEdit::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  namespace set = attribute_setters;
  using Value = const std::wstring&;
  // Inside the member so that the entries may reach the private state.
  static const set::Table<RichEdit> kSetters = {
      {L"vscrollbar", set::Bool<RichEdit, &RichEdit::SetVScrollBar>},
      {L"hscrollbar", set::Bool<RichEdit, &RichEdit::SetHScrollBar>},
      {L"autovscroll",
       [](RichEdit& e, Value v) {
         ApplyOnOff(v, [&e](bool on) { e.SetStyleBit(ES_AUTOVSCROLL, on); });
       }},
      {L"autohscroll",
       [](RichEdit& e, Value v) {
         ApplyOnOff(v, [&e](bool on) { e.SetStyleBit(ES_AUTOHSCROLL, on); });
       }},
      {L"multiline",
       [](RichEdit& e, Value v) {
         ApplyOnOff(v, [&e](bool on) { e.SetStyleBit(ES_MULTILINE, on); });
       }},
      {L"readonly",
       [](RichEdit& e, Value v) {
         ApplyOnOff(v, [&e](bool on) { e.SetStyleBit(ES_READONLY, on); });
       }},
      {L"password",
       [](RichEdit& e, Value v) {
         ApplyOnOff(v, [&e](bool on) { e.SetStyleBit(ES_PASSWORD, on); });
       }},
      {L"number", [](RichEdit& e,
                     Value v) { ApplyOnOff(v, [&e](bool on) { e.SetStyleBit(ES_NUMBER, on); }); }},
      {L"align",
       [](RichEdit& e, Value v) {
         auto has = [&v](const wchar_t* word) { return v.find(word) != std::wstring::npos; };
         if (has(L"left")) e.style_bits_ &= ~(ES_CENTER | ES_RIGHT);
         if (has(L"hcenter")) e.style_bits_ |= ES_CENTER;
         if (has(L"right")) e.style_bits_ |= ES_RIGHT;
         if (has(L"top")) e.text_ver_align_ = VerAlign::kTop;
         if (has(L"vcenter")) e.text_ver_align_ = VerAlign::kCenter;
         if (has(L"bottom")) e.text_ver_align_ = VerAlign::kBottom;
         if (e.host_) e.host_->SetStyleBits(e.style_bits_);
         e.Invalidate();
       }},
      {L"normaltextcolor",
       [](RichEdit& e, Value v) { e.SetNormalTextColor(SkipLeadingBlanks(v)); }},
      {L"disabledtextcolor",
       [](RichEdit& e, Value v) { e.SetDisabledTextColor(SkipLeadingBlanks(v)); }},
      {L"caretcolor", [](RichEdit& e, Value v) { e.caret_color_ = SkipLeadingBlanks(v); }},
      {L"promptcolor", [](RichEdit& e, Value v) { e.prompt_color_ = SkipLeadingBlanks(v); }},
      {L"promptmode", [](RichEdit& e, Value v) { e.prompt_mode_ = ParseBoolAttribute(v); }},
      {L"prompttext", [](RichEdit& e, Value v) { e.prompt_text_ = v; }},
      {L"prompttextid",
       [](RichEdit& e, Value v) {
         e.prompt_text_id_ = v;
         e.prompt_text_ = control_resources::LookupString(v);
       }},
      {L"focusedimage", [](RichEdit& e, Value v) { e.focused_image_.SetImageString(v); }},
      {L"font", set::Text<RichEdit, &RichEdit::SetFont>},
      {L"text", set::Text<RichEdit, &RichEdit::SetText>},
      {L"textid", set::Text<RichEdit, &RichEdit::SetTextId>},
      {L"wanttab", [](RichEdit& e, Value v) { e.want_tab_ = ParseBoolAttribute(v); }},
      {L"wantreturnmsg", [](RichEdit& e, Value v) { e.want_return_ = ParseBoolAttribute(v); }},
      {L"returnmsgwantctrl",
       [](RichEdit& e, Value v) { e.return_needs_ctrl_ = ParseBoolAttribute(v); }},
      {L"rich", set::Bool<RichEdit, &RichEdit::SetRich>},
  };
  if (!set::Apply(kSetters, *this, name, value)) Box::ApplyAttribute(name, value);
}

void RichEdit::PaintStatusImage(IRenderContext* render) {
  Box::PaintStatusImage(render);
  if (window_ && window_->GetFocusControl() == this) DrawImage(render, focused_image_);
}

void RichEdit::PaintText(IRenderContext* render) {
  if (!render || !render->GetDC() || !EnsureHost()) return;
  const RECT view = GetTextRect();
  RECT update{};
  if (!::IntersectRect(&update, &view, &GetPaintRect())) return;
  RECT rect = view;
  if (vbar_ || hbar_) {
    // The engine lays the whole text out; the view shows the part the bars
    // point at and nothing past its edges.
    const SIZE content = GetContentSize();
    const POINT scroll = GetTextScrollPos();
    rect.left -= scroll.x;
    rect.top -= scroll.y;
    if (hbar_) rect.right = rect.left + std::max<LONG>(Width(view), content.cx);
    rect.bottom = rect.top + std::max<LONG>(Height(view), content.cy);
  }
  ScopedRenderClip clip(*render, view);
  if (text_ver_align_ != VerAlign::kTop) {
    SIZE natural{0, 0};
    if (host_->GetNaturalSize(render->GetDC(), rect.right - rect.left, &natural)) {
      int room = (rect.bottom - rect.top) - natural.cy;
      if (room > 0) rect.top += text_ver_align_ == VerAlign::kCenter ? room / 2 : room;
    }
  }
  host_->Draw(render->GetDC(), rect, update);
}

}  // namespace ui
