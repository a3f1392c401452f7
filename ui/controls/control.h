// The base of every element of a skin.
//
// A Control holds its look (background colour and image, state colours and
// images, border), its interaction state (normal, hot, pushed, disabled) and
// its event handlers; PlaceHolder holds the geometry layouts read. Boxes and
// the text, button and check-box templates derive from it. A control
// belongs to one window (IControlHost) and, once added, to one parent Box,
// which owns it.
//
// Event dispatch (SendEvent): handlers attached from code for the type, then
// for kEventAll; then the handlers from skin Event elements for the type and
// for kEventAll; a handler returning false ends the chain. Then
// ReceiveEvent: the control's own handling (HandleEvent), which bubbles what
// it does not consume up to the parent's ReceiveEvent.
//
// The tree is seen through virtuals (GetChildren, GetTabStopKind,
// ReceiveEvent) that containers override, so this class never depends on
// them.
#pragma once

#include <windows.h>

#include <climits>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/controls/control_list.h"
#include "ui/controls/event_args.h"
#include "ui/controls/place_holder.h"
#include "ui/resources/image_spec.h"

namespace ui {

class Box;
class IRenderContext;

enum ControlStateType {
  kControlStateNormal = 0,
  kControlStateHot = 1,
  kControlStatePushed = 2,
  kControlStateDisabled = 3,
};
constexpr int kControlStateCount = 4;

// The state whose look paints `state`, `has_look(s)` telling whether state
// s has one of its own: a pushed look falls back to hot, a hot or disabled
// one to normal, so a skin need only name the looks that differ.
template <typename HasLook>
ControlStateType FallbackState(ControlStateType state, HasLook has_look) {
  if (state == kControlStatePushed && !has_look(kControlStatePushed)) state = kControlStateHot;
  if (state == kControlStateHot && !has_look(kControlStateHot)) state = kControlStateNormal;
  if (state == kControlStateDisabled && !has_look(kControlStateDisabled))
    state = kControlStateNormal;
  return state;
}

// The same over names per state (colours), empty meaning none.
inline ControlStateType FallbackState(ControlStateType state,
                                      const std::wstring (&names)[kControlStateCount]) {
  return FallbackState(state, [&names](ControlStateType s) { return !names[s].empty(); });
}

enum class CursorType { kArrow, kHand, kIBeam };

// Flags of LocateControl.
constexpr UINT kFindVisible = 0x00000001;
constexpr UINT kFindEnabled = 0x00000002;
constexpr UINT kFindHitTest = 0x00000004;   // point inside, mouse enabled
constexpr UINT kFindTopFirst = 0x00000008;  // last child first
constexpr UINT kFindMeFirst = 0x80000000;   // the box before its children

// How the Tab key treats controls of a kind.
enum class TabStopKind {
  kNone,                 // never a stop; its children may be
  kStop,                 // a stop when it can take the focus
  kStopWithoutChildren,  // a stop whose content is its own (a text field)
};

// Decides what a hit test returns for a control that passed the flags; an
// empty predicate returns the control itself.
using FindControlProc = std::function<Control*(Control*)>;

class Control : public PlaceHolder {
 public:
  Control();
  ~Control() override;

  // --- window and parent -------------------------------------------------
  virtual void SetWindow(IControlHost* window);
  virtual void SetWindow(IControlHost* window, Control* parent, bool init = true);
  // Runs once, when the control first has a window and a parent.
  virtual void Init();
  bool IsInited() const { return inited_; }

  // --- tree ---------------------------------------------------------------
  // The controls this one owns and lays out, in paint order; none for a
  // plain control.
  virtual const ControlList& GetChildren() const;
  virtual TabStopKind GetTabStopKind() const { return TabStopKind::kNone; }
  // The box API of a control that is a box (adds children, bubbles events);
  // null for any other control. The builder and the windows reach it here
  // instead of casting.
  virtual Box* AsBox() { return nullptr; }
  void ArrangeAncestor() override;

  // --- what only some kinds show ---------------------------------------------
  // Code that knows a control by its name, not by its kind (a skin may make
  // it a label or a label box, a check box or a check-box box), asks these.
  // The text a label shows; a control without text ignores it.
  virtual void SetText(const std::wstring& text) {}
  // Whether a check box or option is selected; false for other controls.
  virtual bool IsSelected() const { return false; }
  // Whether the Tab key goes to the control (a rich edit that takes tabs)
  // instead of moving the focus.
  virtual bool WantsTab() const { return false; }

  // --- size and position -------------------------------------------------
  // The wished size for the room given; kSizeStretch components mean
  // "whatever the layout gives". See the class comment in control.cpp.
  virtual SIZE MeasureSize(int available_width, int available_height);
  virtual void SetPos(RECT rect);
  // A box paints its children here, inside the control's clip.
  virtual void PaintChildren(IRenderContext* render, const RECT& dirty) {}

  // --- flags --------------------------------------------------------------
  virtual void SetToolTipText(const std::wstring& text);
  virtual void SetToolTipTextId(const std::wstring& id);
  virtual void SetDataId(const std::wstring& id);
  virtual void SetFadeVisible(bool visible);
  virtual void SetVisible(bool visible);
  virtual bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  virtual void SetMouseEnabled(bool enabled);
  virtual void SetKeyboardEnabled(bool enabled);
  bool IsMouseEnabled() const { return mouse_enabled_; }
  bool IsKeyboardEnabled() const { return keyboard_enabled_; }
  std::wstring GetToolTipText() const;  // the text, else the text id's string
  const std::wstring& GetDataId() const { return data_id_; }
  bool IsContextMenuUsed() const { return context_menu_; }
  void SetContextMenuUsed(bool used) { context_menu_ = used; }
  bool IsNoFocus() const { return no_focus_; }
  void SetNoFocus() { no_focus_ = true; }
  bool IsReceivePointer() const { return receive_pointer_; }
  void SetReceivePointer(bool value) { receive_pointer_ = value; }
  CursorType GetCursorType() const { return cursor_; }
  void SetCursorType(CursorType cursor) { cursor_ = cursor; }
  int GetAlpha() const { return alpha_; }
  void SetAlpha(int alpha);
  POINT GetRenderOffset() const { return render_offset_; }
  void SetRenderOffset(POINT offset);
  bool IsCacheEnabled() const { return use_cache_; }
  void SetCacheEnabled(bool value) { use_cache_ = value; }
  // The fade switches ("fadealpha", "fadehot", ...) are carried as flags.
  bool IsHotFadeOn() const { return fade_hot_; }
  void SetHotFade(bool on) { fade_hot_ = on; }

  // --- interaction --------------------------------------------------------
  virtual bool IsPressedHolder() const { return pressed_holder_; }
  virtual void SetPressedHolder(bool value) { pressed_holder_ = value; }
  // Visible and enabled.
  virtual bool IsActivatable() const;
  // What completing a click does: nothing here, a click event for buttons.
  virtual void Trigger() {}
  ControlStateType GetState() const { return state_; }
  void SetState(ControlStateType state);
  int GetHotAlpha() const { return hot_alpha_; }
  void SetHotAlpha(int alpha);

  // --- hit testing --------------------------------------------------------
  virtual Control* LocateControl(const FindControlProc& proc, POINT pt, UINT flags);
  const RECT& GetMargin() const { return margin_; }
  virtual void SetMargin(RECT margin, bool dpi_scale = true);
  // Size of the control's text for the room given; a plain control has none.
  virtual SIZE EstimateText(int available_width, int available_height);
  virtual bool IsPointIn(POINT pt) const;
  // Scroll offset of scrollable containers; none for plain controls.
  virtual POINT GetScrollOffset() const { return POINT{0, 0}; }

  // --- events -------------------------------------------------------------
  virtual void SendEvent(EventArgs& event);
  // Builds the record (sender this, current tick count, `mouse` or, when
  // left out, the window's last mouse position) and dispatches it.
  void SendEvent(EventType type, WPARAM w = 0, LPARAM l = 0, wchar_t key = 0,
                 POINT mouse = POINT{LONG_MIN, LONG_MIN});
  void AttachEvent(EventType type, EventCallback callback);
  void AttachXmlEvent(EventType type, EventCallback callback);
  void AttachAllEvents(EventCallback callback) { AttachEvent(kEventAll, std::move(callback)); }
  void AttachClick(EventCallback callback) { AttachEvent(kEventClick, std::move(callback)); }
  void AttachResize(EventCallback callback) { AttachEvent(kEventResize, std::move(callback)); }
  void DetachEvent(EventType type);
  bool HasEventHandlers(EventType type) const;

  // --- attributes ---------------------------------------------------------
  // One skin attribute; unknown names are ignored.
  virtual void ApplyAttribute(const std::wstring& name, const std::wstring& value);
  void SetAttribute(const std::wstring& name, const std::wstring& value) {
    ApplyAttribute(name, value);
  }
  // A list of the form name="value" name="value" ..., applied in order.
  void ApplyAttributeText(const std::wstring& text);
  // Class names separated by blanks: the global class table first, then the
  // window's own classes. A class that names itself, directly or through
  // other classes, is expanded once: the repeated name is skipped.
  // Classes that name several others can still multiply at every level, so
  // one expansion ends where it would apply more than
  // kMaxClassExpansionSize characters of attribute lists in all or go more
  // than kMaxClassDepth classes deep; ClassExpansionStopped() then tells so
  // (the skin builder fails the build with it).
  void ApplyClass(const std::wstring& class_names);
  static constexpr size_t kMaxClassExpansionSize = 16 * 1024;
  static constexpr size_t kMaxClassDepth = 16;
  bool ClassExpansionStopped() const { return class_expansion_stopped_; }

  // --- painting -----------------------------------------------------------
  virtual void Paint(IRenderContext* render, const RECT& dirty);
  virtual void HandleEvent(EventArgs& event);
  virtual bool MouseEnter(EventArgs& event);
  virtual bool MouseLeave(EventArgs& event);
  virtual bool ButtonDown(EventArgs& event);
  virtual bool ButtonUp(EventArgs& event);
  virtual void PaintBkColor(IRenderContext* render);
  virtual void PaintBkImage(IRenderContext* render);
  virtual void PaintStatusColor(IRenderContext* render);
  virtual void PaintStatusImage(IRenderContext* render);
  virtual void PaintText(IRenderContext* render) {}
  virtual void PaintBorder(IRenderContext* render);

  // Draws one image spec: nothing for an empty file; an image that cannot be
  // loaded is dropped from the image spec. `modifier` (key='value' pairs) applies
  // to a copy; `fade` >= 0 replaces the image spec's opacity. Returns whether it
  // drew.
  bool DrawImage(IRenderContext* render, ImageSpec& spec, const std::wstring& modifier = L"",
                 int fade = -1);
  // Loads the image spec's image through the image cache if not yet loaded; an
  // image that cannot be loaded clears the image spec. True when an image is held.
  bool LoadImage(ImageSpec& spec);
  // Loads now the images the control's next paint draws (its background, and
  // the state and fore images of its present state and of the normal state),
  // so that paint does not stop to decode them; a box does the same for its
  // visible children. Images of other states still load when first drawn.
  virtual void PreloadImages();
  // The paint rectangle of the current Paint call.
  const RECT& GetPaintRect() const { return paint_rect_; }

  // --- look ---------------------------------------------------------------
  const std::wstring& GetBkColor() const { return bk_color_; }
  void SetBkColor(const std::wstring& color);
  const std::wstring& GetStateColor(ControlStateType state) const { return state_colors_[state]; }
  void SetStateColor(ControlStateType state, const std::wstring& color);
  const std::wstring& GetBorderColor() const { return border_color_; }
  void SetBorderColor(const std::wstring& color);
  int GetBorderSize() const { return border_size_; }
  // Uniform border; the per-side widths go back to 0.
  void SetBorderSize(int size);
  const RECT& GetBorderSizes() const { return border_sizes_; }
  // Per-side widths (left, top, right, bottom); any above 0 replaces the
  // uniform size.
  void SetBorderSizes(RECT sizes);
  SIZE GetBorderRound() const { return border_round_; }
  void SetBorderRound(SIZE round);

  const ImageSpec& GetBkImageSpec() const { return bk_image_; }
  std::wstring GetBkImage() const { return bk_image_.imageString; }
  void SetBkImage(const std::wstring& image);
  const ImageSpec& GetStateImageSpec(ControlStateType state) const { return state_images_[state]; }
  std::wstring GetStateImage(ControlStateType state) const;
  void SetStateImage(ControlStateType state, const std::wstring& image);
  std::wstring GetForeStateImage(ControlStateType state) const;
  void SetForeStateImage(ControlStateType state, const std::wstring& image);

  SIZE GetEstimateSize() const { return estimate_size_; }

 protected:
  // Handlers of one event type, in attachment order.
  using HandlerMap = std::map<int, std::vector<EventCallback>>;
  // Runs the lists of `type` then kEventAll of `map`. False when a handler
  // asked to stop or this control died meanwhile (`alive` expired).
  static bool RunHandlers(const HandlerMap& map, EventArgs& event,
                          const base::WeakFlagHandle& alive);
  // Stores a new position (the half of SetPos that boxes share). False when a
  // resize handler destroyed the control meanwhile.
  bool StorePos(RECT rect);
  // What SendEvent runs after the control's own handlers, and what an event
  // bubbling up from a child reaches: the control's own handling here; a box
  // runs its bubbled handlers first.
  virtual void ReceiveEvent(EventArgs& event) { HandleEvent(event); }
  // Dispatch to the parent (bubbling).
  void BubbleToParent(EventArgs& event);
  // Draws a set of state images (normal, hot, pushed, disabled) with the
  // fallbacks and the hot fade.
  void PaintStateImages(IRenderContext* render, ImageSpec* images);
  // Paints into a layer of the control's size and blends it with the
  // control's alpha.
  void PaintWithAlpha(IRenderContext* render, const RECT& dirty);
  // The hot fade ("fadehot"): steps the hot alpha toward 255 (forward) or 0
  // on a window timer; without a window the value jumps.
  void StartHotFade(bool forward);
  void StepHotFade();
  void StopHotFade();
  // The ImageSpec that sizes an auto control, or null.
  virtual ImageSpec* GetSizingImage();
  // Resolves a relative image file against the resource path and the
  // window's skin folder.
  std::wstring ResolveImagePath(const std::wstring& file) const;

  HandlerMap code_handlers_;
  HandlerMap xml_handlers_;
  RECT margin_{0, 0, 0, 0};
  RECT paint_rect_{0, 0, 0, 0};
  SIZE estimate_size_{0, 0};
  ControlStateType state_ = kControlStateNormal;
  int hot_alpha_ = 0;
  int alpha_ = 255;
  bool enabled_ = true;
  bool mouse_enabled_ = true;
  bool keyboard_enabled_ = true;
  bool context_menu_ = false;
  bool no_focus_ = false;
  bool receive_pointer_ = true;
  bool pressed_holder_ = false;
  bool use_cache_ = false;
  bool fade_alpha_ = false;
  bool fade_hot_ = false;
  bool fade_width_ = false;
  bool fade_height_ = false;
  bool fade_in_out_x_from_left_ = false;
  bool fade_in_out_x_from_right_ = false;
  bool fade_in_out_y_from_top_ = false;
  bool fade_in_out_y_from_bottom_ = false;
  bool inited_ = false;
  bool sending_resize_ = false;
  bool painting_layer_ = false;
  bool hot_fade_forward_ = false;
  UINT_PTR hot_fade_timer_ = 0;
  CursorType cursor_ = CursorType::kArrow;
  POINT render_offset_{0, 0};
  std::wstring bk_color_;
  std::wstring state_colors_[kControlStateCount];
  std::wstring border_color_;
  int border_size_ = 0;
  RECT border_sizes_{0, 0, 0, 0};
  SIZE border_round_{0, 0};
  ImageSpec bk_image_;
  ImageSpec state_images_[kControlStateCount];
  ImageSpec fore_state_images_[kControlStateCount];
  std::wstring tooltip_text_;
  std::wstring tooltip_text_id_;
  std::wstring data_id_;
  // The classes being expanded right now, outermost first, and the size of
  // the attribute lists the outermost expansion has applied so far.
  std::vector<std::wstring> classes_in_expansion_;
  size_t class_expansion_size_ = 0;
  bool class_expansion_stopped_ = false;
};

}  // namespace ui
