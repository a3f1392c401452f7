#include "ui/controls/control_tree.h"

#include <algorithm>

#include "ui/controls/control.h"

namespace ui {
namespace control_tree {
namespace {

bool IsTabStop(const Control* control) {
  return control->GetTabStopKind() != TabStopKind::kNone && control->IsActivatable() &&
         control->IsKeyboardEnabled() && control->IsMouseEnabled() && !control->IsNoFocus();
}

}  // namespace

std::vector<Control*> Snapshot(const ControlList& children) {
  std::vector<Control*> snapshot;
  snapshot.reserve(children.size());
  for (const std::unique_ptr<Control>& child : children) snapshot.push_back(child.get());
  return snapshot;
}

bool ForEachChild(const Control* parent, const ControlList& children,
                  const std::function<void(Control*)>& visit) {
  const base::WeakFlagHandle alive = parent->GetWeakFlag();
  const std::vector<Control*> snapshot = Snapshot(children);
  for (size_t i = 0; i < snapshot.size(); ++i) {
    if (alive.expired()) return false;
    Control* child = snapshot[i];
    // Most visits change nothing: the child is still where it was.
    const bool in_place = i < children.size() && children[i].get() == child;
    if (!in_place && std::none_of(children.begin(), children.end(),
                                  [child](const std::unique_ptr<Control>& c) { return c.get() == child; }))
      continue;
    visit(child);
  }
  return !alive.expired();
}

void Walk(Control* root, HiddenControls hidden, const std::function<Descend(Control*)>& visit) {
  if (!root) return;
  if (hidden == HiddenControls::kSkip && !root->IsVisible()) return;
  if (visit(root) == Descend::kNo) return;
  ForEachChild(root, root->GetChildren(),
               [hidden, &visit](Control* child) { Walk(child, hidden, visit); });
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
