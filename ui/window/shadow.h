// The shadow frame a window may draw around its content.
//
// When attached, the window's root is wrapped in a ShadowBox: a plain box
// whose padding is the shadow's width on each side and whose background is
// the shadow image, so the content sits inside a translucent frame that the
// layered window shows with per-pixel alpha. Sizes the skin gives the window
// grow by that padding. The installer's skins turn the shadow off.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls/box.h"

namespace ui {

class ShadowBox : public Box {
 public:
  ShadowBox();
};

class Shadow {
 public:
  static constexpr wchar_t kDefaultImage[] =
      L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'";
  static constexpr int kDefaultPadding = 14;

  Shadow();

  bool IsAttached() const { return attached_; }
  void SetAttached(bool attached) { attached_ = attached; }

  // Replaces the default image (the root then keeps its own corners).
  void SetImage(const std::wstring& image);
  const std::wstring& GetImage() const { return image_; }
  bool IsDefaultImage() const { return default_image_; }

  // The frame's width on each side as the skin gives it, before DPI scaling;
  // a DPI change scales the padding again from it.
  void SetConfiguredPadding(const RECT& padding) { configured_padding_ = padding; }
  const RECT& GetConfiguredPadding() const { return configured_padding_; }
  // The width of the frame on each side (already DPI-scaled).
  void SetPadding(const RECT& padding);
  const RECT& GetPadding() const { return padding_; }
  // The padding in effect: zero while the window is maximised, and always
  // zero when no shadow is attached.
  RECT GetEffectivePadding() const;

  // Wraps `root` in a new ShadowBox (which owns it from then on) when the
  // shadow is attached; returns the box, or `root` itself when not attached.
  std::unique_ptr<Control> WrapRoot(std::unique_ptr<Control> root);
  ShadowBox* GetShadowBox() const { return box_; }
  // The window was maximised (no frame) or restored (configured frame).
  void SetMaximized(bool maximized);
  // The shadow box is being destroyed with the tree.
  void ForgetShadowBox() { box_ = nullptr; }

 private:
  bool attached_ = true;
  bool default_image_ = true;
  bool maximized_ = false;
  std::wstring image_ = kDefaultImage;
  RECT padding_{kDefaultPadding, kDefaultPadding, kDefaultPadding, kDefaultPadding};
  RECT configured_padding_{kDefaultPadding, kDefaultPadding, kDefaultPadding, kDefaultPadding};
  ShadowBox* box_ = nullptr;  // not owned: the window owns the tree
};

}  // namespace ui
