// Walks over a tree of controls, written once so that every pass over the
// tree (name registration, the layout pass, the Tab order) follows the same
// rule about hidden controls.
//
// Children are reached through Control::GetChildren, so nothing here needs to
// know which controls are containers.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/controls/control_list.h"

namespace ui {
namespace control_tree {

// Whether a walk enters controls whose own visible flag is off. A skipped
// control is left out with its whole subtree, so with kSkip every control a
// walk from the root visits is shown on screen.
enum class HiddenControls { kVisit, kSkip };

// What a visitor wants after seeing a control.
enum class Descend { kYes, kNo };

// Visits `root` and its descendants, parents before children and children in
// list order; a visitor answering Descend::kNo keeps the walk out of that
// control's subtree. Null `root` visits nothing. Visitors may change the
// tree as ForEachChild allows.
void Walk(Control* root, HiddenControls hidden, const std::function<Descend(Control*)>& visit);

// The controls of `children` as they are now, for visits that may change
// the list.
std::vector<Control*> Snapshot(const ControlList& children);

// Visits the controls of `children`, the live child list of `parent`, as it
// was when the call began, so that a visit may run handlers that add,
// remove or delete controls: a control that left the list meanwhile is not
// visited, one that joined it is not either, and the visits stop when
// `parent` is destroyed. False when they stopped for that.
bool ForEachChild(const Control* parent, const ControlList& children,
                  const std::function<void(Control*)>& visit);

// Visits every control of the subtree, hidden ones included.
void ForEach(Control* root, const std::function<void(Control*)>& visit);

// The window's layout pass: lays `root` out over `client` when it asked for
// it or its position differs; otherwise lays out again each shown control
// that asked for arrangement since the last pass. Hidden controls are left
// marked: layouts do not place them, and showing one arranges its ancestor,
// which lays the whole subtree out then.
void ArrangePending(Control* root, const RECT& client);

// The controls the Tab key moves through, in tree order: shown, enabled,
// mouse- and keyboard-enabled controls of a kind that takes the Tab focus
// and are not marked "nofocus". A stop that keeps its content to itself (a
// text field) hides its children from the Tab key.
std::vector<Control*> CollectTabStops(Control* root);

}  // namespace control_tree
}  // namespace ui
