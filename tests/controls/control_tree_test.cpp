// Walks over the control tree: which controls the layout pass and the Tab
// key reach, hidden subtrees and containers included.
#include <gtest/gtest.h>

#include <vector>

#include "controls_support.h"
#include "ui/button.h"
#include "ui/control_tree.h"
#include "ui/rich_edit.h"

namespace controls_test {
namespace {

using ui::Button;
using ui::ButtonBox;
using ui::Control;
using ui::HBox;
using ui::VBox;

class ControlTreeTest : public ControlsTest {};

TEST_F(ControlTreeTest, LayoutPassLeavesAHiddenSubtreeUntilItIsShown) {
  // root > panel (hidden) > row (fixed height) > cell: the cell's new margin
  // asks the row to arrange while the panel hides it.
  test_support::OffscreenHost host(300, 200);
  VBox* root = new VBox();
  VBox* panel = new VBox();
  panel->SetFixedHeight(50);
  HBox* row = new HBox();
  row->SetFixedHeight(20);
  Control* cell = Fixed(10, 10);
  row->Add(cell);
  panel->Add(row);
  root->Add(panel);
  host.AttachRoot(root);
  host.LayoutIfNeeded();
  ASSERT_EQ(0, cell->GetPos().left);

  panel->SetVisible(false);
  host.LayoutIfNeeded();
  cell->SetMargin(RECT{8, 0, 0, 0});
  ASSERT_TRUE(host.IsLayoutRequested()) << "the shown row must still ask for a pass";
  host.LayoutIfNeeded();
  EXPECT_EQ(0, cell->GetPos().left) << "the pass must not lay out what a hidden panel holds";

  // Showing the panel arranges its ancestor, which lays the subtree out.
  panel->SetVisible(true);
  host.LayoutIfNeeded();
  EXPECT_EQ(8, cell->GetPos().left);
  EXPECT_FALSE(row->NeedsLayout());
}

TEST_F(ControlTreeTest, TabStopsFollowTreeOrderAndSkipWhatCannotTakeTheFocus) {
  VBox root;
  Button* first = new Button();
  ButtonBox* group = new ButtonBox();
  Button* inside_group = new Button();
  group->Add(inside_group);
  VBox* hidden = new VBox();
  hidden->Add(new Button());
  hidden->SetVisible(false);
  Button* disabled = new Button();
  disabled->SetEnabled(false);
  Button* no_focus = new Button();
  no_focus->SetNoFocus();
  Button* mouse_off = new Button();
  mouse_off->SetMouseEnabled(false);
  Button* keyboard_off = new Button();
  keyboard_off->SetKeyboardEnabled(false);
  Control* plain = new Control();
  ui::RichEdit* edit = new ui::RichEdit();
  edit->Add(new Button());  // a text field's content is its own
  Button* last = new Button();
  for (Control* c : std::vector<Control*>{first, group, hidden, disabled, no_focus, mouse_off,
                                          keyboard_off, plain, edit, last}) {
    root.Add(c);
  }

  const std::vector<Control*> expected{first, group, inside_group, edit, last};
  EXPECT_EQ(expected, ui::control_tree::CollectTabStops(&root));
  EXPECT_TRUE(ui::control_tree::CollectTabStops(nullptr).empty());
}

}  // namespace
}  // namespace controls_test
