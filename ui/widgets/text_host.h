// The host of the windowless rich-edit engine (the system's text services).
//
// The engine asks its host for everything it needs to lay out and draw: the
// client rectangle, the edit styles, the default character and paragraph
// formats, and a device context. `CTxtWinHost` answers those questions from
// the state its control hands it and draws the engine into any device
// context, so the control can paint into the window's off-screen bitmap.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <imm.h>
#include <richedit.h>
#include <textserv.h>

#include <string>

#include "base/com_ptr.h"

namespace ui {

// What the host asks of the control it serves. The control outlives its host's
// use of this pointer: it detaches itself (`CTxtWinHost::Detach`) before it goes.
class TextHostOwner {
 public:
  virtual ~TextHostOwner() = default;
  // The native window the text lives in; null while the control has none.
  virtual HWND TextHostWindow() const = 0;
  // The engine changed what it shows (new text, new format).
  virtual void TextHostInvalidate() = 0;
};

// Style bits of an edit control the host understands (the Windows ES_ and
// WS_ bits, so that skins and code speak the same values).
struct TextHostStyle {
  DWORD bits = ES_MULTILINE;
  LONG max_length = 0x7FFF;
  bool rich = true;
  bool word_wrap = true;
};

class CTxtWinHost : public ITextHost {
 public:
  // Loads the engine library once per process: the system's "msftedit.dll",
  // from the system folder only. Null when the library or its
  // "CreateTextServices" export is missing.
  using CreateTextServicesFn = HRESULT(WINAPI*)(IUnknown*, ITextHost*, IUnknown**);
  static CreateTextServicesFn EngineFactory();

  // Makes a host with its engine; null when no engine could be made. The
  // caller owns one reference.
  static base::com_ptr<CTxtWinHost> Create(TextHostOwner* owner, const TextHostStyle& style,
                                           const std::wstring& initial_text);

  // The control is going away: the engine may still hold the host, but the host
  // no longer calls its owner.
  void Detach();

  ITextServices* services() const { return services_.get(); }

  // Text.
  void SetText(const std::wstring& text);
  std::wstring GetText() const;

  // Default character format: font (a GDI font handle) and text colour.
  void SetFont(HFONT font);
  void SetTextColor(COLORREF color);
  COLORREF text_color() const { return char_format_.crTextColor; }

  // Styles. Each setter tells the engine which property changed.
  DWORD style_bits() const { return style_.bits; }
  void SetStyleBits(DWORD bits);
  void SetRich(bool rich);
  void SetWordWrap(bool word_wrap);
  void SetMaxLength(LONG length);
  void SetEnabled(bool enabled);

  // The rectangle the engine lays the text out in (window client coordinates).
  void SetClientRect(const RECT& rect);
  const RECT& client_rect() const { return client_rect_; }

  // The engine's natural size of its content: `width` is the width to wrap at
  // (0 = no limit). Returns false when the engine refuses.
  bool GetNaturalSize(HDC dc, LONG width, SIZE* size);

  // Draws the text laid out in `bounds` into `dc`, limited to `update`.
  void Draw(HDC dc, const RECT& bounds, const RECT& update);

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ITextHost.
  HDC TxGetDC() override;
  INT TxReleaseDC(HDC hdc) override;
  WINBOOL TxShowScrollBar(INT bar, WINBOOL show) override;
  WINBOOL TxEnableScrollBar(INT flags, INT arrows) override;
  WINBOOL TxSetScrollRange(INT bar, LONG min_pos, INT max_pos, WINBOOL redraw) override;
  WINBOOL TxSetScrollPos(INT bar, INT pos, WINBOOL redraw) override;
  void TxInvalidateRect(LPCRECT rect, WINBOOL mode) override;
  void TxViewChange(WINBOOL update) override;
  WINBOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
  WINBOOL TxShowCaret(WINBOOL show) override;
  WINBOOL TxSetCaretPos(INT x, INT y) override;
  WINBOOL TxSetTimer(UINT id, UINT timeout) override;
  void TxKillTimer(UINT id) override;
  void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update_region,
                        LPRECT update, UINT flags) override;
  void TxSetCapture(WINBOOL capture) override;
  void TxSetFocus() override;
  void TxSetCursor(HCURSOR cursor, WINBOOL text) override;
  WINBOOL TxScreenToClient(LPPOINT point) override;
  WINBOOL TxClientToScreen(LPPOINT point) override;
  HRESULT TxActivate(LONG* old_state) override;
  HRESULT TxDeactivate(LONG new_state) override;
  HRESULT TxGetClientRect(LPRECT rect) override;
  HRESULT TxGetViewInset(LPRECT rect) override;
  HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
  HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
  COLORREF TxGetSysColor(int index) override;
  HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
  HRESULT TxGetMaxLength(DWORD* length) override;
  HRESULT TxGetScrollBars(DWORD* bars) override;
  HRESULT TxGetPasswordChar(TCHAR* ch) override;
  HRESULT TxGetAcceleratorPos(LONG* cp) override;
  HRESULT TxGetExtent(LPSIZEL extent) override;
  HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
  HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
  HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
  HRESULT TxNotify(DWORD code, void* data) override;
  HIMC TxImmGetContext() override;
  void TxImmReleaseContext(HIMC context) override;
  HRESULT TxGetSelectionBarWidth(LONG* width) override;

 private:
  CTxtWinHost(TextHostOwner* owner, const TextHostStyle& style);
  virtual ~CTxtWinHost();
  CTxtWinHost(const CTxtWinHost&) = delete;
  CTxtWinHost& operator=(const CTxtWinHost&) = delete;

  bool Init(const std::wstring& initial_text);
  void GiveFirstLayoutWidth();
  void UpdateParagraphAlignment();
  void NotifyProperty(DWORD bits);
  void ApplyDefaultFormatToText();
  HWND window() const { return owner_ ? owner_->TextHostWindow() : nullptr; }

  ULONG refs_ = 1;
  TextHostOwner* owner_;
  TextHostStyle style_;
  bool enabled_ = true;
  RECT client_rect_{};
  CHARFORMAT2W char_format_{};
  PARAFORMAT2 para_format_{};
  base::com_ptr<ITextServices> services_;
};

}  // namespace ui
