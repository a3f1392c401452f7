// Walks over the control tree: which controls the layout pass and the Tab
// key reach, hidden subtrees and containers included.
#include <gtest/gtest.h>

#include <vector>

#include "controls_support.h"
#include "ui/controls/control_registry.h"
#include "ui/controls/control_tree.h"
#include "ui/widgets/button.h"
#include "ui/widgets/check_box.h"
#include "ui/widgets/rich_edit.h"

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
  row->Add(Owned(cell));
  panel->Add(Owned(row));
  root->Add(Owned(panel));
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
  group->Add(Owned(inside_group));
  VBox* hidden = new VBox();
  hidden->Add(std::make_unique<Button>());
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
  edit->Add(std::make_unique<Button>());  // a text field's content is its own
  Button* last = new Button();
  for (Control* c : std::vector<Control*>{first, group, hidden, disabled, no_focus, mouse_off,
                                          keyboard_off, plain, edit, last}) {
    root.Add(Owned(c));
  }

  const std::vector<Control*> expected{first, group, inside_group, edit, last};
  EXPECT_EQ(expected, ui::control_tree::CollectTabStops(&root));
  EXPECT_TRUE(ui::control_tree::CollectTabStops(nullptr).empty());
}

// Each case: a box of five fixed children, the first three of which may get
// a resize handler that changes the tree while the box lays them out.
struct TreeChange {
  const char* what;
  // Runs once, inside the resize handler of child `at`.
  int at;
  void (*change)(ui::Box* root, ui::Box* box, std::vector<Control*>& kids);
  // The children that must be placed in the end.
  std::vector<int> placed;
};

TEST_F(ControlTreeTest, ResizeHandlersThatChangeTheTreeNeitherCrashNorSkipAChild) {
  const TreeChange changes[] = {
      {"insert before", 0, [](ui::Box*, ui::Box* box, std::vector<Control*>&) { box->AddAt(Owned(Fixed(10, 10)), 0); },
       {0, 1, 2, 3, 4}},
      {"delete the next", 0, [](ui::Box*, ui::Box* box, std::vector<Control*>& kids) { box->Remove(kids[1]); },
       {0, 2, 3, 4}},
      {"delete itself", 1, [](ui::Box*, ui::Box* box, std::vector<Control*>& kids) { box->Remove(kids[1]); },
       {0, 2, 3, 4}},
      {"delete the box", 2, [](ui::Box* root, ui::Box* box, std::vector<Control*>&) { root->Remove(box); }, {}},
  };
  for (const bool flow : {false, true}) {
    for (const TreeChange& change : changes) {
      SCOPED_TRACE(testing::Message() << (flow ? "flow layout: " : "plain layout: ") << change.what);
      test_support::OffscreenHost host(300, 200);
      VBox* root = new VBox();
      ui::Box* box = flow ? new VBox() : new ui::Box();
      root->Add(Owned(box));
      std::vector<Control*> kids;
      for (int i = 0; i < 5; ++i) {
        kids.push_back(Fixed(10, 10));
        box->Add(Owned(kids.back()));
      }
      bool done = false;
      kids[change.at]->AttachResize([&](ui::EventArgs*) {
        if (!done) {
          done = true;
          change.change(root, box, kids);
        }
        return true;
      });
      host.AttachRoot(root);
      host.LayoutIfNeeded();
      for (int i : change.placed) EXPECT_EQ(10, kids[i]->GetPos().right - kids[i]->GetPos().left) << "child " << i;
    }
  }
}

TEST_F(ControlTreeTest, LayoutPassReachesEveryRowWhenAHandlerInsertsARowBeforeIt) {
  test_support::OffscreenHost host(300, 200);
  VBox* root = new VBox();
  std::vector<Control*> cells;
  for (int i = 0; i < 5; ++i) {
    HBox* row = new HBox();
    row->SetFixedHeight(20);
    cells.push_back(Fixed(10, 10));
    row->Add(Owned(cells.back()));
    root->Add(Owned(row));
  }
  host.AttachRoot(root);
  host.LayoutIfNeeded();
  bool done = false;
  cells[0]->AttachResize([&](ui::EventArgs*) {
    if (!done) {
      done = true;
      root->AddAt(Owned(Fixed(10, 10)), 0);
    }
    return true;
  });
  // Both rows ask for a pass of their own.
  cells[0]->SetMargin(RECT{4, 0, 0, 0});
  cells[4]->SetMargin(RECT{6, 0, 0, 0});
  host.LayoutIfNeeded();
  EXPECT_EQ(6, cells[4]->GetPos().left) << "the last row was skipped";
}

TEST_F(ControlTreeTest, SelectingAnOptionDeselectsTheWholeGroupWhileHandlersInsertOptions) {
  test_support::OffscreenHost host(300, 200);
  VBox* box = new VBox();
  std::vector<ui::Option*> options;
  for (int i = 0; i < 5; ++i) {
    options.push_back(new ui::Option());
    box->Add(Owned(options.back()));
  }
  host.AttachRoot(box);  // selection events need a window
  // Two selected before they join the group.
  options[0]->Selected(true);
  options[4]->Selected(true);
  for (ui::Option* option : options) option->SetGroup(L"g");
  options[0]->AttachEvent(ui::kEventUnSelect, [box](ui::EventArgs*) {
    box->AddAt(std::make_unique<ui::Option>(), 0);
    return true;
  });
  options[2]->Selected(true, ui::SelectionEvent::kSend);
  EXPECT_FALSE(options[0]->IsSelected());
  EXPECT_FALSE(options[4]->IsSelected()) << "the sibling after the insertion was skipped";
}

// A control that counts its destructions, to see a second delete.
struct Counted : public VBox {
  explicit Counted(int* deaths) : deaths_(deaths) {}
  ~Counted() override { ++*deaths_; }
  int* deaths_;
};

TEST_F(ControlTreeTest, DelayedDeleteOfAControlAndItsAncestorDeletesEachOnce) {
  for (const bool child_first : {true, false}) {
    SCOPED_TRACE(child_first ? "child queued first" : "parent queued first");
    int deaths = 0;
    auto* parent = new Counted(&deaths);
    auto* child = new Counted(&deaths);
    auto* grandchild = new Counted(&deaths);
    child->Add(Owned(grandchild));
    parent->Add(Owned(child));
    // The parent is out of any tree: the registry takes it.
    std::unique_ptr<Control> owned_parent(parent);
    ui::ControlRegistry registry;
    for (Control* c : child_first ? std::vector<Control*>{grandchild, parent, child}
                                  : std::vector<Control*>{parent, grandchild, child}) {
      if (c == parent)
        registry.QueueDelete(std::move(owned_parent));
      else
        registry.QueueDelete(c);
    }
    registry.DeleteQueued();
    EXPECT_EQ(3, deaths);
  }
}

}  // namespace
}  // namespace controls_test
