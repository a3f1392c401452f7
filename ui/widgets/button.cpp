#include "ui/widgets/button.h"

#include "ui/controls/control_host.h"

namespace ui {

template <typename Base>
void ButtonTemplate<Base>::Trigger() {
  IControlHost* window = this->GetWindow();
  if (!this->IsActivatable() || !window) return;
  EventArgs event(kEventClick, this);
  event.timestamp = ::GetTickCount();
  event.mousePoint = window->GetLastMousePos();
  this->SendEvent(event);
}

template <typename Base>
void ButtonTemplate<Base>::HandleEvent(EventArgs& event) {
  if (!this->IsEnabled() && IsMouseEventType(event.type)) {
    // A disabled button is transparent to the mouse: its parent decides.
    Base::HandleEvent(event);
    return;
  }
  if (event.type == kEventKeyDown) {
    if (this->IsKeyboardEnabled() && (event.keyChar == VK_SPACE || event.keyChar == VK_RETURN)) {
      Trigger();
      return;
    }
  } else if (event.type == kEventInternalMenu) {
    if (this->IsContextMenuUsed()) {
      if (IControlHost* window = this->GetWindow()) window->SendMenuEvent(this);
      return;
    }
  }
  Base::HandleEvent(event);
}

template class ButtonTemplate<Control>;
template class ButtonTemplate<Box>;

}  // namespace ui
