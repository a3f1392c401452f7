#include "ui/widgets/text_host.h"

#include <imm.h>
#include <oleauto.h>

#include "base/system_library.h"
#include "base/unique_any.h"

namespace ui {
namespace {

// The engine's interfaces. mingw declares the names but no library defines
// them, so they are spelled out here.
constexpr IID kIidTextServices = {
    0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
constexpr IID kIidTextHost = {
    0xc5bdd8d0, 0xd26e, 0x11ce, {0xa8, 0x9e, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};

constexpr LONG kTwipsPerInch = 1440;
// The width the engine lays text out at before it is shown anywhere.
constexpr LONG kFirstLayoutWidth = 32767;
constexpr LONG kDefaultTab = 720;

}  // namespace

CTxtWinHost::CreateTextServicesFn CTxtWinHost::EngineFactory() {
  // Loaded once and kept for the process: engines made from it may live until
  // the last window goes, and unloading under them would leave dangling code.
  static const CreateTextServicesFn factory = []() -> CreateTextServicesFn {
    // The system's engine only: a copy beside the program could be anyone's.
    HMODULE module = base::LoadSystemLibrary(L"msftedit.dll");
    if (!module) return nullptr;
    return reinterpret_cast<CreateTextServicesFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateTextServices")));
  }();
  return factory;
}

base::com_ptr<CTxtWinHost> CTxtWinHost::Create(TextHostOwner* owner, const TextHostStyle& style,
                                               const std::wstring& initial_text) {
  auto host = base::com_ptr<CTxtWinHost>::Attach(new CTxtWinHost(owner, style));
  if (!host->Init(initial_text)) return nullptr;
  return host;
}

CTxtWinHost::CTxtWinHost(TextHostOwner* owner, const TextHostStyle& style)
    : owner_(owner), style_(style) {}

CTxtWinHost::~CTxtWinHost() { services_.reset(); }

bool CTxtWinHost::Init(const std::wstring& initial_text) {
  char_format_.cbSize = sizeof(char_format_);
  char_format_.dwMask = CFM_SIZE | CFM_OFFSET | CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD |
                        CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
  char_format_.crTextColor = RGB(0, 0, 0);
  SetFont(nullptr);

  para_format_.cbSize = sizeof(para_format_);
  para_format_.dwMask = PFM_ALL;
  para_format_.cTabCount = 1;
  para_format_.rgxTabs[0] = kDefaultTab;
  UpdateParagraphAlignment();

  CreateTextServicesFn factory = EngineFactory();
  if (!factory) return false;
  base::com_ptr<IUnknown> unknown;
  if (FAILED(factory(nullptr, this, unknown.put())) || !unknown) return false;
  if (FAILED(unknown->QueryInterface(kIidTextServices, services_.put_void())) || !services_)
    return false;
  GiveFirstLayoutWidth();
  if (!initial_text.empty()) services_->TxSetText(initial_text.c_str());
  return true;
}

void CTxtWinHost::GiveFirstLayoutWidth() {
  // Until the engine has been measured or drawn at some width (Wine's takes
  // no width from its client rectangle), it lays text out one character per
  // line, which costs the square of the text's length on every change: a
  // 3,000-character text took 0.7 s per change, 20 ms once the engine had a
  // width. Measuring the still empty text gives it one for nothing.
  base::unique_hdc dc(::CreateCompatibleDC(nullptr));
  if (!dc) return;
  const LONG width = client_rect_.right > client_rect_.left ? client_rect_.right - client_rect_.left
                                                             : kFirstLayoutWidth;
  SIZE ignored{};
  GetNaturalSize(dc.get(), width, &ignored);
}

void CTxtWinHost::Detach() {
  owner_ = nullptr;
  // The engine may hold a reference to its host; dropping it here breaks that
  // cycle so both go once the control lets go of the host.
  services_.reset();
}

void CTxtWinHost::SetText(const std::wstring& text) {
  if (services_) services_->TxSetText(text.c_str());
}

std::wstring CTxtWinHost::GetText() const {
  if (!services_) return std::wstring();
  BSTR text = nullptr;
  if (FAILED(services_->TxGetText(&text)) || !text) return std::wstring();
  std::wstring result(text, ::SysStringLen(text));
  ::SysFreeString(text);
  return result;
}

void CTxtWinHost::SetFont(HFONT font) {
  if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW lf{};
  if (!::GetObjectW(font, sizeof(lf), &lf)) return;
  base::unique_hdc_window screen = base::unique_hdc_window::For(nullptr);
  LONG pixels_per_inch = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  if (pixels_per_inch <= 0) pixels_per_inch = 96;
  // Character heights are twips; a negative LOGFONT height is the em size in pixels.
  LONG pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
  char_format_.yHeight = pixels * kTwipsPerInch / pixels_per_inch;
  char_format_.yOffset = 0;
  char_format_.dwEffects = 0;
  if (lf.lfWeight >= FW_BOLD) char_format_.dwEffects |= CFE_BOLD;
  if (lf.lfItalic) char_format_.dwEffects |= CFE_ITALIC;
  if (lf.lfUnderline) char_format_.dwEffects |= CFE_UNDERLINE;
  if (lf.lfStrikeOut) char_format_.dwEffects |= CFE_STRIKEOUT;
  char_format_.bCharSet = lf.lfCharSet;
  char_format_.bPitchAndFamily = lf.lfPitchAndFamily;
  ::lstrcpynW(char_format_.szFaceName, lf.lfFaceName, LF_FACESIZE);
  NotifyProperty(TXTBIT_CHARFORMATCHANGE);
  ApplyDefaultFormatToText();
}

void CTxtWinHost::ApplyDefaultFormatToText() {
  // Some engines (Wine's among them) take a changed default format only for
  // text typed later. The control's text is all in the default format, so the
  // format is set on all of it.
  if (!services_) return;
  LRESULT result = 0;
  services_->TxSendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&char_format_),
                           &result);
}

void CTxtWinHost::SetTextColor(COLORREF color) {
  // Every format change lays the whole text out again.
  if (color == char_format_.crTextColor) return;
  char_format_.crTextColor = color;
  NotifyProperty(TXTBIT_CHARFORMATCHANGE);
  ApplyDefaultFormatToText();
}

void CTxtWinHost::SetStyleBits(DWORD bits) {
  DWORD changed = bits ^ style_.bits;
  style_.bits = bits;
  if (!services_ || !changed) return;
  DWORD property = 0;
  if (changed & ES_MULTILINE) property |= TXTBIT_MULTILINE;
  if (changed & ES_READONLY) property |= TXTBIT_READONLY;
  if (changed & ES_PASSWORD) property |= TXTBIT_USEPASSWORD;
  if (changed & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL))
    property |= TXTBIT_SCROLLBARCHANGE;
  if (changed & (ES_CENTER | ES_RIGHT)) {
    UpdateParagraphAlignment();
    property |= TXTBIT_PARAFORMATCHANGE;
  }
  if (property) services_->OnTxPropertyBitsChange(property, 0);
}

void CTxtWinHost::SetRich(bool rich) {
  if (style_.rich == rich) return;
  style_.rich = rich;
  if (services_)
    services_->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, rich ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetWordWrap(bool word_wrap) {
  if (style_.word_wrap == word_wrap) return;
  style_.word_wrap = word_wrap;
  if (services_)
    services_->OnTxPropertyBitsChange(TXTBIT_WORDWRAP, word_wrap ? TXTBIT_WORDWRAP : 0);
}

void CTxtWinHost::SetMaxLength(LONG length) {
  style_.max_length = length;
  if (services_) services_->OnTxPropertyBitsChange(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
}

void CTxtWinHost::SetEnabled(bool enabled) { enabled_ = enabled; }

void CTxtWinHost::SetClientRect(const RECT& rect) {
  if (::EqualRect(&rect, &client_rect_)) return;
  client_rect_ = rect;
  if (services_)
    services_->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE, TXTBIT_CLIENTRECTCHANGE);
}

bool CTxtWinHost::GetNaturalSize(HDC dc, LONG width, SIZE* size) {
  if (!services_ || !size) return false;
  SIZEL extent = {-1, -1};
  LONG w = width;
  LONG h = 0;
  HRESULT hr = services_->TxGetNaturalSize(DVASPECT_CONTENT, dc, nullptr, nullptr,
                                           TXTNS_FITTOCONTENT, &extent, &w, &h);
  if (FAILED(hr)) return false;
  size->cx = w;
  size->cy = h;
  return true;
}

void CTxtWinHost::Draw(HDC dc, const RECT& bounds, const RECT& update) {
  if (!services_ || !dc) return;
  SetClientRect(bounds);
  RECTL bounds_l = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  RECT update_copy = update;
  services_->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds_l, nullptr,
                    &update_copy, nullptr, 0, TXTVIEW_INACTIVE);
}

void CTxtWinHost::UpdateParagraphAlignment() {
  if (style_.bits & ES_RIGHT)
    para_format_.wAlignment = PFA_RIGHT;
  else if (style_.bits & ES_CENTER)
    para_format_.wAlignment = PFA_CENTER;
  else
    para_format_.wAlignment = PFA_LEFT;
}

void CTxtWinHost::NotifyProperty(DWORD bits) {
  if (services_) services_->OnTxPropertyBitsChange(bits, bits);
}

// ---- IUnknown ----

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, kIidTextHost)) {
    *object = static_cast<ITextHost*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef() { return ++refs_; }

ULONG STDMETHODCALLTYPE CTxtWinHost::Release() {
  ULONG refs = --refs_;
  if (refs == 0) delete this;
  return refs;
}

// ---- ITextHost ----

HDC CTxtWinHost::TxGetDC() { return ::GetDC(window()); }

INT CTxtWinHost::TxReleaseDC(HDC hdc) { return ::ReleaseDC(window(), hdc); }

// Scroll bars of this control are drawn by the framework, not by the system.
WINBOOL CTxtWinHost::TxShowScrollBar(INT, WINBOOL) { return FALSE; }
WINBOOL CTxtWinHost::TxEnableScrollBar(INT, INT) { return FALSE; }
WINBOOL CTxtWinHost::TxSetScrollRange(INT, LONG, INT, WINBOOL) { return FALSE; }
WINBOOL CTxtWinHost::TxSetScrollPos(INT, INT, WINBOOL) { return FALSE; }

void CTxtWinHost::TxInvalidateRect(LPCRECT, WINBOOL) {
  if (owner_) owner_->TextHostInvalidate();
}

void CTxtWinHost::TxViewChange(WINBOOL update) {
  if (update && owner_) owner_->TextHostInvalidate();
}

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
  HWND hwnd = window();
  return hwnd ? ::CreateCaret(hwnd, bitmap, width, height) : FALSE;
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL show) {
  HWND hwnd = window();
  if (!hwnd) return FALSE;
  return show ? ::ShowCaret(hwnd) : ::HideCaret(hwnd);
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) { return ::SetCaretPos(x, y); }

WINBOOL CTxtWinHost::TxSetTimer(UINT id, UINT timeout) {
  HWND hwnd = window();
  return hwnd ? ::SetTimer(hwnd, id, timeout, nullptr) != 0 : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT id) {
  if (HWND hwnd = window()) ::KillTimer(hwnd, id);
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {
  // The whole control is repainted into the off-screen bitmap instead.
  if (owner_) owner_->TextHostInvalidate();
}

void CTxtWinHost::TxSetCapture(WINBOOL capture) {
  HWND hwnd = window();
  if (!hwnd) return;
  if (capture)
    ::SetCapture(hwnd);
  else if (::GetCapture() == hwnd)
    ::ReleaseCapture();
}

void CTxtWinHost::TxSetFocus() {
  if (HWND hwnd = window()) ::SetFocus(hwnd);
}

void CTxtWinHost::TxSetCursor(HCURSOR cursor, WINBOOL) { ::SetCursor(cursor); }

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT point) {
  HWND hwnd = window();
  return hwnd ? ::ScreenToClient(hwnd, point) : FALSE;
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT point) {
  HWND hwnd = window();
  return hwnd ? ::ClientToScreen(hwnd, point) : FALSE;
}

HRESULT CTxtWinHost::TxActivate(LONG* old_state) {
  if (old_state) *old_state = 0;
  return S_OK;
}

HRESULT CTxtWinHost::TxDeactivate(LONG) { return S_OK; }

HRESULT CTxtWinHost::TxGetClientRect(LPRECT rect) {
  if (!rect) return E_INVALIDARG;
  *rect = client_rect_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT rect) {
  if (!rect) return E_INVALIDARG;
  ::SetRectEmpty(rect);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** format) {
  if (!format) return E_INVALIDARG;
  *format = reinterpret_cast<const CHARFORMATW*>(&char_format_);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
  if (!format) return E_INVALIDARG;
  *format = reinterpret_cast<const PARAFORMAT*>(&para_format_);
  return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int index) {
  // The engine's own text colour is the control's current (normal or disabled)
  // colour, so that automatic colours follow the control as well.
  if (index == COLOR_WINDOWTEXT || index == COLOR_GRAYTEXT) return char_format_.crTextColor;
  return ::GetSysColor(index);
}

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style) {
  if (!style) return E_INVALIDARG;
  // The control paints its own background; the text goes over it.
  *style = TXTBACK_TRANSPARENT;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* length) {
  if (!length) return E_INVALIDARG;
  *length = static_cast<DWORD>(style_.max_length);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* bars) {
  if (!bars) return E_INVALIDARG;
  *bars = style_.bits &
          (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* ch) {
  if (!ch) return E_INVALIDARG;
  *ch = L'*';
  return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* cp) {
  if (!cp) return E_INVALIDARG;
  *cp = -1;
  return S_OK;
}

// No zoom: the engine maps its client rectangle one to one.
HRESULT CTxtWinHost::TxGetExtent(LPSIZEL) { return E_NOTIMPL; }

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
  if (!bits) return E_INVALIDARG;
  DWORD value = 0;
  if (style_.rich) value |= TXTBIT_RICHTEXT;
  if (style_.bits & ES_MULTILINE) value |= TXTBIT_MULTILINE;
  if (style_.bits & ES_READONLY) value |= TXTBIT_READONLY;
  if (style_.bits & ES_PASSWORD) value |= TXTBIT_USEPASSWORD;
  if (!(style_.bits & ES_NOHIDESEL)) value |= TXTBIT_HIDESELECTION;
  // Word wrap only when the text cannot scroll sideways.
  if (style_.word_wrap && !(style_.bits & (WS_HSCROLL | ES_AUTOHSCROLL)))
    value |= TXTBIT_WORDWRAP;
  *bits = value & mask;
  return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD, void*) { return S_OK; }

HIMC CTxtWinHost::TxImmGetContext() {
  HWND hwnd = window();
  return hwnd ? ::ImmGetContext(hwnd) : nullptr;
}

void CTxtWinHost::TxImmReleaseContext(HIMC context) {
  if (HWND hwnd = window()) ::ImmReleaseContext(hwnd, context);
}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* width) {
  if (!width) return E_INVALIDARG;
  *width = 0;
  return S_OK;
}

}  // namespace ui
