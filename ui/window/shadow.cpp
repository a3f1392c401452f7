#include "ui/window/shadow.h"

#include "ui/controls/layout.h"

namespace ui {

ShadowBox::ShadowBox() : Box(std::make_unique<Layout>()) {}

Shadow::Shadow() = default;

void Shadow::SetImage(const std::wstring& image) {
  image_ = image;
  default_image_ = false;
}

void Shadow::SetPadding(const RECT& padding) {
  padding_ = padding;
  if (box_ && !maximized_) box_->GetLayout()->SetPadding(padding_, false);
}

RECT Shadow::GetEffectivePadding() const {
  if (!attached_ || maximized_) return RECT{0, 0, 0, 0};
  return padding_;
}

std::unique_ptr<Control> Shadow::WrapRoot(std::unique_ptr<Control> root) {
  if (!attached_ || !root) return root;
  auto box = std::make_unique<ShadowBox>();
  box->GetLayout()->SetPadding(padding_, false);
  // Fixed sizes grow by the frame; "auto" and "stretch" carry over as they are.
  const int width = root->GetFixedWidth();
  const int height = root->GetFixedHeight();
  box->SetFixedWidth(width > 0 ? width + padding_.left + padding_.right : width, false, false);
  box->SetFixedHeight(height > 0 ? height + padding_.top + padding_.bottom : height, false,
                      false);
  // The default image's inner edge is rounded; the content follows it.
  if (default_image_) root->SetBorderRound(SIZE{3, 3});
  box->Add(std::move(root));
  box->SetBkImage(image_);
  box_ = box.get();
  return box;
}

void Shadow::SetMaximized(bool maximized) {
  maximized_ = maximized;
  if (!box_) return;
  box_->GetLayout()->SetPadding(maximized ? RECT{0, 0, 0, 0} : padding_, false);
}

}  // namespace ui
