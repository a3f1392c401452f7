// How a control draws itself: background colour and image, state colours and
// images with their fallbacks and the hot fade, the border, and whole-control
// opacity through an off-screen layer. Images load lazily through the image
// cache and are dropped from their spec when they cannot be loaded.
#include <algorithm>
#include <memory>

#include "ui/controls/control.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/render/render_context.h"

namespace ui {

// --- painting ----------------------------------------------------------------

std::wstring Control::ResolveImagePath(const std::wstring& file) const {
  bool absolute = (file.size() >= 2 && file[1] == L':') ||
                  (!file.empty() && (file[0] == L'\\' || file[0] == L'/'));
  if (absolute) return file;
  std::wstring path = control_resources::GetResourcePath();
  if (window_) path += window_->GetResourceSubPath();
  return path + file;
}

bool Control::LoadImage(ImageSpec& spec) {
  if (!spec.HasFile()) return false;
  if (spec.image) return true;
  spec.image = control_resources::LookupImage(ResolveImagePath(spec.file));
  if (!spec.image) {
    // Not tried again: the attribute is dropped as if it had never been set.
    spec.Clear();
    return false;
  }
  return true;
}

void Control::PreloadImages() {
  LoadImage(bk_image_);
  for (ImageSpec* images : {state_images_, fore_state_images_}) {
    LoadImage(images[kControlStateNormal]);
    LoadImage(images[state_]);
  }
}

bool Control::DrawImage(IRenderContext* render, ImageSpec& spec, const std::wstring& modifier,
                        int fade) {
  if (!render || !spec.HasFile()) return false;
  if (!LoadImage(spec)) return false;
  const ImageSpec* use = &spec;
  ImageSpec modified;
  if (!modifier.empty()) {
    modified = spec;
    modified.ApplyModifiers(modifier);
    use = &modified;
  }
  ImageFrame frame = control_resources::GetFrame(*spec.image);
  if (!frame.bitmap) return false;

  RECT dest = pos_;
  if (use->HasDest()) {
    RECT d = use->dest;
    if (use->destScale) d = control_resources::ScaleRectForDpi(d);
    dest = RECT{pos_.left + d.left, pos_.top + d.top, pos_.left + d.right, pos_.top + d.bottom};
  }
  RECT source{0, 0, frame.width, frame.height};
  if (use->HasSource()) source = use->source;
  int opacity = fade >= 0 ? fade : use->fade;
  opacity = std::clamp(opacity, 0, 255);
  RECT check;
  if (!::IntersectRect(&check, &dest, &paint_rect_)) return false;
  render->DrawImage(paint_rect_, frame.bitmap, frame.hasAlpha, dest, source, use->corner,
                    static_cast<BYTE>(opacity), use->xTiled, use->yTiled);
  return true;
}

void Control::Paint(IRenderContext* render, const RECT& dirty) {
  if (!render) return;
  if (!::IntersectRect(&paint_rect_, &dirty, &pos_)) return;
  if (alpha_ == 0) return;
  if (alpha_ < 255 && !painting_layer_) {
    PaintWithAlpha(render, dirty);
    return;
  }
  const bool round = border_round_.cx > 0 || border_round_.cy > 0;
  if (round) {
    render->SetClip(pos_);
    render->SetRoundClip(pos_, border_round_.cx, border_round_.cy);
  }
  PaintBkColor(render);
  PaintBkImage(render);
  PaintStatusColor(render);
  PaintStatusImage(render);
  PaintText(render);
  PaintBorder(render);
  PaintChildren(render, dirty);
  if (round) {
    render->ClearClip();
    render->ClearClip();
  }
}

void Control::PaintWithAlpha(IRenderContext* render, const RECT& dirty) {
  const RECT paint = paint_rect_;
  const int w = GetWidth(), h = GetHeight();
  std::unique_ptr<IRenderContext> layer = control_resources::CreateRenderContext();
  if (!layer || !layer->Resize(w, h)) {
    painting_layer_ = true;
    Paint(render, dirty);
    painting_layer_ = false;
    return;
  }
  // The layer keeps per-pixel alpha so the blend below treats what the
  // control left empty as see-through.
  layer->SetRenderTransparent(true);
  layer->SetWindowOrg(POINT{pos_.left, pos_.top});
  painting_layer_ = true;
  Paint(layer.get(), paint);
  painting_layer_ = false;
  layer->SetWindowOrg(POINT{0, 0});
  ::GdiFlush();
  render->AlphaBlend(paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top,
                     layer->GetDC(), paint.left - pos_.left, paint.top - pos_.top,
                     paint.right - paint.left, paint.bottom - paint.top,
                     static_cast<BYTE>(alpha_));
}

void Control::StartHotFade(bool forward) {
  hot_fade_forward_ = forward;
  if (!window_) {
    hot_alpha_ = forward ? 255 : 0;
    return;
  }
  if (hot_fade_timer_) return;  // already running; it turns round
  hot_fade_timer_ = window_->StartTimer(ToWeakCallback([this] { StepHotFade(); }), 50, true);
  if (!hot_fade_timer_) hot_alpha_ = forward ? 255 : 0;
}

void Control::StepHotFade() {
  // Five steps of 50 ms from one end to the other.
  const int target = hot_fade_forward_ ? 255 : 0;
  hot_alpha_ = hot_fade_forward_ ? std::min(255, hot_alpha_ + 51) : std::max(0, hot_alpha_ - 51);
  Invalidate();
  if (hot_alpha_ == target) StopHotFade();
}

void Control::StopHotFade() {
  if (hot_fade_timer_ && window_) window_->StopTimer(hot_fade_timer_);
  hot_fade_timer_ = 0;
}

void Control::PaintBkColor(IRenderContext* render) {
  DWORD color = control_resources::LookupColor(bk_color_);
  if (color == 0) return;
  if ((color >> 24) == 0xFF)
    render->FillRect(paint_rect_, color);
  else
    render->FillRect(pos_, color);
}

void Control::PaintBkImage(IRenderContext* render) { DrawImage(render, bk_image_); }

void Control::PaintStatusColor(IRenderContext* render) {
  ControlStateType state = state_;
  if (fade_hot_ && (state == kControlStateNormal || state == kControlStateHot)) {
    DWORD normal = control_resources::LookupColor(state_colors_[kControlStateNormal]);
    if (normal) render->FillRect(paint_rect_, normal);
    DWORD hot = control_resources::LookupColor(state_colors_[kControlStateHot]);
    if (hot && hot_alpha_ > 0) render->FillRect(paint_rect_, hot, static_cast<BYTE>(hot_alpha_));
    return;
  }
  if (state == kControlStatePushed && state_colors_[kControlStatePushed].empty())
    state = kControlStateHot;
  if (state == kControlStateHot && state_colors_[kControlStateHot].empty())
    state = kControlStateNormal;
  if (state == kControlStateDisabled && state_colors_[kControlStateDisabled].empty())
    state = kControlStateNormal;
  DWORD color = control_resources::LookupColor(state_colors_[state]);
  if (color) render->FillRect(paint_rect_, color);
}

void Control::PaintStateImages(IRenderContext* render, ImageSpec* images) {
  ImageSpec& normal = images[kControlStateNormal];
  ImageSpec& hot = images[kControlStateHot];
  if (fade_hot_ && (state_ == kControlStateNormal || state_ == kControlStateHot) &&
      normal.HasFile() && hot.HasFile()) {
    if (normal.SameLook(hot)) {
      // h = hot alpha / 255, kept in integers: hot fade * h + normal fade * (1 - h).
      int fade = (hot.fade * hot_alpha_ + normal.fade * (255 - hot_alpha_)) / 255;
      DrawImage(render, normal, L"", fade);
    } else {
      DrawImage(render, normal);
      if (hot_alpha_ > 0) DrawImage(render, hot, L"", hot.fade * hot_alpha_ / 255);
    }
    return;
  }
  ControlStateType state = state_;
  if (state == kControlStatePushed && !images[kControlStatePushed].HasFile()) {
    state = kControlStateHot;
    images[kControlStatePushed].fade = 255;
  }
  if (state == kControlStateHot && !images[kControlStateHot].HasFile()) state = kControlStateNormal;
  if (state == kControlStateDisabled && !images[kControlStateDisabled].HasFile())
    state = kControlStateNormal;
  DrawImage(render, images[state]);
}

void Control::PaintStatusImage(IRenderContext* render) {
  PaintStateImages(render, state_images_);
  PaintStateImages(render, fore_state_images_);
}

void Control::PaintBorder(IRenderContext* render) {
  DWORD color = control_resources::LookupColor(border_color_);
  if (color == 0) return;
  const RECT& b = border_sizes_;
  if (b.left < 1 && b.top < 1 && b.right < 1 && b.bottom < 1) {
    const int s = border_size_;
    if (s < 1) return;
    // The pen is centred on the outline, so inset it by half its width; the
    // right and bottom take the odd pixel.
    RECT r{pos_.left + s / 2, pos_.top + s / 2, pos_.right - (s / 2 + s % 2),
           pos_.bottom - (s / 2 + s % 2)};
    if (border_round_.cx > 0 || border_round_.cy > 0)
      render->DrawRoundRect(r, border_round_, s, color);
    else
      render->DrawRect(r, s, color);
    return;
  }
  if (b.left > 0) {
    int x = pos_.left + b.left / 2;
    render->DrawLine(RECT{x, pos_.top, x, b.left == 1 ? pos_.bottom - 1 : pos_.bottom}, b.left,
                     color);
  }
  if (b.top > 0) {
    int y = pos_.top + b.top / 2;
    render->DrawLine(RECT{pos_.left, y, b.top == 1 ? pos_.right - 1 : pos_.right, y}, b.top, color);
  }
  if (b.right > 0) {
    int x = pos_.right - (b.right + 1) / 2;
    render->DrawLine(RECT{x, pos_.top, x, b.right == 1 ? pos_.bottom - 1 : pos_.bottom}, b.right,
                     color);
  }
  if (b.bottom > 0) {
    int y = pos_.bottom - (b.bottom + 1) / 2;
    render->DrawLine(RECT{pos_.left, y, b.bottom == 1 ? pos_.right - 1 : pos_.right, y}, b.bottom,
                     color);
  }
}

}  // namespace ui
