// A label that clicks: `ButtonTemplate` over Control (the skin's Button) and
// over Box (ButtonBox).
//
// Pressing makes the button pushed and captures the mouse; releasing inside
// it completes the click (`Trigger`), which sends a click event (41) that
// handlers receive through the usual dispatch and bubbling. Space or return
// on a focused, keyboard-enabled button clicks it too.
#pragma once

#include "ui/widgets/label.h"

namespace ui {

template <typename Base>
class ButtonTemplate : public LabelTemplate<Base> {
 public:
  ButtonTemplate() = default;

  // Sends the click event when the button is visible, enabled and in a
  // window.
  void Trigger() override;
  void HandleEvent(EventArgs& event) override;
  TabStopKind GetTabStopKind() const override { return TabStopKind::kStop; }
};

extern template class ButtonTemplate<Control>;
extern template class ButtonTemplate<Box>;

using Button = ButtonTemplate<Control>;
using ButtonBox = ButtonTemplate<Box>;

}  // namespace ui
