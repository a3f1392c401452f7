// The multi-line text control: a box that hosts the system's windowless
// rich-edit engine (through CTxtWinHost) and draws it into the window's
// render context inside its position less its padding.
//
// The engine is made the first time the control needs it (when it joins a
// window, is measured, painted or asked for its text), so every attribute of
// the skin is known by then. The installer shows read-only, plain, wrapped
// text with it; editing is the engine's own behaviour.
//
// With "vscrollbar" (or "hscrollbar") the control keeps a ScrollBar along its
// right (bottom) edge, inside its padding. Text longer than the control then
// scrolls: the engine lays the whole text out and the control shows the part
// the bar points at. The bar and the wheel work even while the control is
// disabled, which is how the message box shows a read-only text.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/com_ptr.h"
#include "ui/controls/box.h"
#include "ui/widgets/scroll_bar.h"
#include "ui/widgets/text_host.h"

namespace ui {

class RichEdit : public Box, private TextHostOwner {
 public:
  RichEdit();
  ~RichEdit() override;

  // --- text ---------------------------------------------------------------
  std::wstring GetText() const;
  void SetText(const std::wstring& text);
  // The language string of `id` becomes the text.
  void SetTextId(const std::wstring& id);
  const std::wstring& GetTextId() const { return text_id_; }

  // --- styles (Windows ES_ / WS_ bits) ------------------------------------
  DWORD GetStyleBits() const { return style_bits_; }
  bool IsReadOnly() const { return (style_bits_ & ES_READONLY) != 0; }
  bool IsMultiLine() const { return (style_bits_ & ES_MULTILINE) != 0; }
  bool IsPassword() const { return (style_bits_ & ES_PASSWORD) != 0; }
  bool IsNumberOnly() const { return (style_bits_ & ES_NUMBER) != 0; }
  bool HasVScrollBar() const { return vscroll_bar_; }
  bool HasHScrollBar() const { return hscroll_bar_; }
  void SetVScrollBar(bool on);
  void SetHScrollBar(bool on);
  // The bars while they are on; null otherwise.
  ScrollBar* GetVScrollBar() const { return vbar_.get(); }
  ScrollBar* GetHScrollBar() const { return hbar_.get(); }
  // How far the text is scrolled, in pixels.
  POINT GetTextScrollPos() const;
  bool IsRich() const { return rich_; }
  void SetRich(bool rich);
  LONG GetMaxLength() const { return max_length_; }
  void SetMaxLength(LONG length);
  VerAlign GetTextVerAlign() const { return text_ver_align_; }

  // --- colours (names of the colour table) ---------------------------------
  const std::wstring& GetNormalTextColor() const { return normal_text_color_; }
  const std::wstring& GetDisabledTextColor() const { return disabled_text_color_; }
  // Applied to the engine at once while the control is enabled.
  void SetNormalTextColor(const std::wstring& color);
  // Applied to the engine at once while the control is disabled.
  void SetDisabledTextColor(const std::wstring& color);
  // The colour the engine currently draws in (0x00BBGGRR), or CLR_INVALID
  // without an engine.
  COLORREF GetEngineTextColor() const;

  const std::wstring& GetFont() const { return font_id_; }
  void SetFont(const std::wstring& font_id);

  // --- prompt and keyboard flags (carried for the engine's editing) --------
  bool IsPromptMode() const { return prompt_mode_; }
  const std::wstring& GetPromptText() const { return prompt_text_; }
  bool IsWantTab() const { return want_tab_; }
  bool IsWantReturn() const { return want_return_; }
  bool IsReturnNeedsCtrl() const { return return_needs_ctrl_; }

  // The size the text needs when wrapped at `width` pixels (0 = as wide as
  // it likes), without padding; {0, 0} without an engine. The message box
  // sizes its text area with it.
  SIZE GetNaturalSize(LONG width, LONG height = 0);

  // The engine; null when the system has none.
  CTxtWinHost* GetTextHost();

  // --- Control overrides -----------------------------------------------------
  void Init() override;
  void SetWindow(IControlHost* window) override;
  void SetWindow(IControlHost* window, Control* parent, bool init = true) override;
  // A text field keeps Tab-reachable content to itself.
  TabStopKind GetTabStopKind() const override { return TabStopKind::kStopWithoutChildren; }
  void SetEnabled(bool enabled) override;
  Control* LocateControl(const FindControlProc& proc, POINT pt, UINT flags) override;
  void HandleEvent(EventArgs& event) override;
  void PaintChildren(IRenderContext* render, const RECT& dirty) override;
  SIZE MeasureSize(int available_width, int available_height) override;
  void SetPos(RECT rect) override;
  void ApplyAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintText(IRenderContext* render) override;
  void PaintStatusImage(IRenderContext* render) override;

 private:
  // TextHostOwner.
  HWND TextHostWindow() const override;
  void TextHostInvalidate() override;

  // Makes the engine once, from the current settings; false without one.
  bool EnsureHost();
  void SetStyleBit(DWORD bit, bool on);
  // The text lays out differently now (font, styles): measure it again.
  void TextLayoutChanged();
  // The text rectangle: position less the padding and the scroll bars.
  RECT GetTextRect() const;
  // Places the bars along the text rectangle and gives them the ranges the
  // text needs.
  void LayoutScrollBars();
  std::unique_ptr<ScrollBar> MakeScrollBar(ScrollBar::Orientation orientation);
  // A bar came or went: the text's room changed.
  void ScrollBarsChanged();
  // The size the whole text takes at the text rectangle's width.
  SIZE GetContentSize();
  // The colour name in effect for the current enabled state.
  const std::wstring& CurrentTextColor() const;
  void ApplyEngineColor();
  // A device context to measure with: the window's render context, else the
  // screen.
  template <typename Fn>
  bool WithMeasureDC(Fn&& fn);

  base::com_ptr<CTxtWinHost> host_;
  bool host_failed_ = false;
  DWORD style_bits_ = ES_MULTILINE;
  bool vscroll_bar_ = false;
  bool hscroll_bar_ = false;
  std::unique_ptr<ScrollBar> vbar_;
  std::unique_ptr<ScrollBar> hbar_;
  bool rich_ = true;
  LONG max_length_ = 0x7FFF;
  // The wrap width the kept estimate was measured at.
  LONG estimate_width_limit_ = -1;
  VerAlign text_ver_align_ = VerAlign::kTop;
  std::wstring normal_text_color_;
  std::wstring disabled_text_color_;
  std::wstring caret_color_;
  std::wstring prompt_color_;
  bool prompt_mode_ = false;
  std::wstring prompt_text_;
  std::wstring prompt_text_id_;
  ImageSpec focused_image_;
  std::wstring font_id_;
  std::wstring text_;  // kept until the engine exists
  std::wstring text_id_;
  bool want_tab_ = false;
  bool want_return_ = false;
  bool return_needs_ctrl_ = false;
};

}  // namespace ui
