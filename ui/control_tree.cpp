#include "ui/control_tree.h"

#include "ui/control.h"

namespace ui {
namespace control_tree {
namespace {

bool IsTabStop(const Control* control) {
  return control->GetTabStopKind() != TabStopKind::kNone && control->IsActivatable() &&
         control->IsKeyboardEnabled() && control->IsMouseEnabled() && !control->IsNoFocus();
}

}  // namespace

void Walk(Control* root, HiddenControls hidden, const std::function<Descend(Control*)>& visit) {
  if (!root) return;
  if (hidden == HiddenControls::kSkip && !root->IsVisible()) return;
  if (visit(root) == Descend::kNo) return;
  for (Control* child : root->GetChildren()) Walk(child, hidden, visit);
}

void ForEach(Control* root, const std::function<void(Control*)>& visit) {
  Walk(root, HiddenControls::kVisit, [&visit](Control* control) {
    visit(control);
    return Descend::kYes;
  });
}

void ArrangePending(Control* root, const RECT& client) {
  if (!root) return;
  if (root->NeedsLayout() || !::EqualRect(&root->GetPos(), &client)) {
    root->SetPos(client);
    return;
  }
  Walk(root, HiddenControls::kSkip, [](Control* control) {
    if (!control->NeedsLayout()) return Descend::kYes;
    // Setting the same position lays a box's children out again, so the
    // subtree needs nothing more from this pass.
    control->SetPos(control->GetPos());
    return Descend::kNo;
  });
}

std::vector<Control*> CollectTabStops(Control* root) {
  std::vector<Control*> stops;
  Walk(root, HiddenControls::kSkip, [&stops](Control* control) {
    if (IsTabStop(control)) stops.push_back(control);
    return control->GetTabStopKind() == TabStopKind::kStopWithoutChildren ? Descend::kNo
                                                                           : Descend::kYes;
  });
  return stops;
}

}  // namespace control_tree
}  // namespace ui
