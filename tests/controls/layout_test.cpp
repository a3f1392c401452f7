// Box layouts: the integer arithmetic of rows, columns and overlapping
// stacks, floating and invisible children, limits, auto sizes and the
// arrangement requests that bring a tree up to date.
#include <gtest/gtest.h>

#include <memory>

#include "controls_support.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/controls/layout.h"

namespace controls_test {
namespace {

using ui::Box;
using ui::Control;
using ui::HBox;
using ui::VBox;

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

::testing::AssertionResult PosIs(const Control* c, int l, int t, int r, int b) {
  const RECT& p = c->GetPos();
  if (p.left == l && p.top == t && p.right == r && p.bottom == b)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "position is (" << p.left << "," << p.top << ","
                                       << p.right << "," << p.bottom << "), expected (" << l
                                       << "," << t << "," << r << "," << b << ")";
}

Control* Stretch() { return new Control(); }

class LayoutTest : public ControlsTest {};

TEST_F(LayoutTest, RowSharesWidthAndGivesLeftoverPixelsToFirstStretchChildren) {
  // 100 over three stretch children: 34, 33, 33.
  HBox row;
  Control* a = Stretch();
  Control* b = Stretch();
  Control* c = Stretch();
  row.Add(Owned(a));
  row.Add(Owned(b));
  row.Add(Owned(c));
  row.SetPos(R(0, 0, 100, 20));
  EXPECT_TRUE(PosIs(a, 0, 0, 34, 20));
  EXPECT_TRUE(PosIs(b, 34, 0, 67, 20));
  EXPECT_TRUE(PosIs(c, 67, 0, 100, 20));

  // 101 over four stretch children with a child margin of 1: share 24,
  // remainder 2; the row ends exactly at the right edge.
  HBox row2;
  Control* k[4];
  row2.GetLayout()->SetChildMargin(1);
  for (auto& child : k) row2.Add(Owned(child = Stretch()));
  row2.SetPos(R(0, 0, 101, 10));
  EXPECT_TRUE(PosIs(k[0], 0, 0, 25, 10));
  EXPECT_TRUE(PosIs(k[1], 26, 0, 51, 10));
  EXPECT_TRUE(PosIs(k[2], 52, 0, 76, 10));
  EXPECT_TRUE(PosIs(k[3], 77, 0, 101, 10));
}

TEST_F(LayoutTest, ChildMarginSeparatesFixedChildrenOnly) {
  // Child margin 10, three fixed children of 20 at L, L+30, L+60; used 80.
  HBox row;
  row.GetLayout()->SetChildMargin(10);
  Control* a = Fixed(20, 20);
  Control* b = Fixed(20, 20);
  Control* c = Fixed(20, 20);
  row.Add(Owned(a));
  row.Add(Owned(b));
  row.Add(Owned(c));
  SIZE used = row.GetLayout()->ArrangeChild(row.GetItems(), R(7, 3, 207, 43));
  EXPECT_TRUE(PosIs(a, 7, 3, 27, 23));
  EXPECT_TRUE(PosIs(b, 37, 3, 57, 23));
  EXPECT_TRUE(PosIs(c, 67, 3, 87, 23));
  EXPECT_EQ(80, used.cx);
  EXPECT_EQ(20, used.cy);

  // An invisible child takes neither room nor a child margin.
  b->SetVisible(false);
  used = row.GetLayout()->ArrangeChild(row.GetItems(), R(7, 3, 207, 43));
  EXPECT_TRUE(PosIs(c, 37, 3, 57, 23));
  EXPECT_EQ(50, used.cx);
}

TEST_F(LayoutTest, ChildMarginsOfTheChildThemselvesShiftAndSeparate) {
  // Margins 5 left / 3 right around a 20-wide child, then a stretch child
  // that takes what the first leaves: 100 - (5+20+3) - 4 (margin) = 68.
  HBox row;
  row.GetLayout()->SetChildMargin(4);
  Control* a = Fixed(20, 10);
  a->SetMargin(R(5, 2, 3, 0));
  Control* b = Stretch();
  row.Add(Owned(a));
  row.Add(Owned(b));
  row.SetPos(R(0, 0, 100, 30));
  EXPECT_TRUE(PosIs(a, 5, 2, 25, 12));
  EXPECT_TRUE(PosIs(b, 32, 0, 100, 30));
}

TEST_F(LayoutTest, ColumnStopsStretchChildAtItsMaxHeight) {
  // Height stretch with max 300 in 500 of room takes 300; the next child
  // starts 300 lower.
  VBox column;
  Control* a = Stretch();
  a->SetMaxHeight(300);
  Control* b = Fixed(40, 50);
  column.Add(Owned(a));
  column.Add(Owned(b));
  column.SetPos(R(0, 10, 200, 510));
  EXPECT_TRUE(PosIs(a, 0, 10, 200, 310));
  EXPECT_TRUE(PosIs(b, 0, 310, 40, 360));
}

TEST_F(LayoutTest, LimitsAreAppliedAfterTheShareWithoutRedistributing) {
  // A min width above the share overflows; a max width below it leaves a gap
  // that nobody takes.
  HBox row;
  Control* wide = Stretch();
  wide->SetMinWidth(70);
  Control* other = Stretch();
  row.Add(Owned(wide));
  row.Add(Owned(other));
  row.SetPos(R(0, 0, 100, 10));
  EXPECT_TRUE(PosIs(wide, 0, 0, 70, 10));
  EXPECT_TRUE(PosIs(other, 70, 0, 120, 10));

  wide->SetMinWidth(-1);
  wide->SetMaxWidth(20);
  row.SetPos(R(0, 0, 100, 11));
  EXPECT_TRUE(PosIs(wide, 0, 0, 20, 11));
  EXPECT_TRUE(PosIs(other, 20, 0, 70, 11));
}

TEST_F(LayoutTest, FloatingChildTakesNoRoomAndAlignsAgainstTheWholeContent) {
  HBox row;
  row.GetLayout()->SetPadding(R(10, 5, 10, 5));
  Control* a = Fixed(20, 10);
  Control* floating = Fixed(30, 8);
  floating->SetFloat(true);
  floating->SetHorAlign(ui::HorAlign::kRight);
  floating->SetVerAlign(ui::VerAlign::kBottom);
  Control* b = Fixed(20, 10);
  row.GetLayout()->SetChildMargin(6);
  row.Add(Owned(a));
  row.Add(Owned(floating));
  row.Add(Owned(b));
  row.SetPos(R(0, 0, 200, 50));
  EXPECT_TRUE(PosIs(a, 10, 5, 30, 15));
  EXPECT_TRUE(PosIs(b, 36, 5, 56, 15)) << "the floating child must not take a child margin";
  EXPECT_TRUE(PosIs(floating, 160, 37, 190, 45));
}

TEST_F(LayoutTest, CentringTruncatesTowardZeroAndHappensAfterMargins) {
  // A centred child 200 wide in 100 gets x0 = L - 50; 201 wide also L - 50
  // (the division truncates toward zero, it does not floor).
  Box box;
  Control* c = Fixed(200, 10);
  c->SetHorAlign(ui::HorAlign::kCenter);
  box.Add(Owned(c));
  box.SetPos(R(40, 0, 140, 10));
  EXPECT_TRUE(PosIs(c, -10, 0, 190, 10));
  c->SetFixedWidth(201);
  box.SetPos(R(40, 0, 140, 11));
  EXPECT_TRUE(PosIs(c, -10, 0, 191, 10));

  // The installer's two centred buttons: margins -100 and 30 move them by
  // half of that, 50 left and 15 right of plain centring.
  Box stack;
  Control* left = Fixed(216, 54);
  left->SetHorAlign(ui::HorAlign::kCenter);
  left->SetMargin(R(-100, 0, 0, 0));
  Control* right = Fixed(216, 54);
  right->SetHorAlign(ui::HorAlign::kCenter);
  right->SetMargin(R(30, 0, 0, 0));
  stack.Add(Owned(left));
  stack.Add(Owned(right));
  stack.SetPos(R(0, 0, 988, 100));
  const int plain = (988 - 216) / 2;
  EXPECT_EQ(plain - 50, left->GetPos().left);
  EXPECT_EQ(plain + 15, right->GetPos().left);

  // Vertical centring in a row: (mt + B - mb - h - T) / 2 + T.
  HBox row;
  Control* v = Fixed(10, 11);
  v->SetVerAlign(ui::VerAlign::kCenter);
  v->SetMargin(R(0, 3, 0, 0));
  row.Add(Owned(v));
  row.SetPos(R(0, 20, 50, 40));
  EXPECT_TRUE(PosIs(v, 0, 26, 10, 37));
}

TEST_F(LayoutTest, ColumnAlignsHorizontallyInsideMargins) {
  VBox column;
  Control* right = Fixed(30, 10);
  right->SetHorAlign(ui::HorAlign::kRight);
  right->SetMargin(R(0, 0, 7, 0));
  Control* centre = Fixed(31, 10);
  centre->SetHorAlign(ui::HorAlign::kCenter);
  centre->SetMargin(R(3, 2, 0, 4));
  Control* fill = Stretch();
  fill->SetFixedHeight(10);
  fill->SetMargin(R(4, 0, 6, 0));
  column.Add(Owned(right));
  column.Add(Owned(centre));
  column.Add(Owned(fill));
  column.SetPos(R(10, 0, 110, 100));
  EXPECT_TRUE(PosIs(right, 73, 0, 103, 10));
  // (3 + 110 - 0 - 31 - 10) / 2 + 10 = 46
  EXPECT_TRUE(PosIs(centre, 46, 12, 77, 22));
  EXPECT_TRUE(PosIs(fill, 14, 26, 104, 36));
}

TEST_F(LayoutTest, MessageBoxButtonRowFloatsToTheBottomRight) {
  // The question box: a 358 x 208 column holding a title row, the text and
  // a floating auto-height row (margin 0,30,30,20, child margin 10, right and
  // bottom) of a stretch spacer and two buttons.
  VBox root;
  HBox* title = new HBox();
  title->SetFixedHeight(65);
  Control* text = Fixed(300, 40);
  text->SetMargin(R(30, 20, 30, 0));
  HBox* buttons = new HBox();
  buttons->SetFixedHeight(ui::kSizeAuto);
  buttons->SetMargin(R(0, 30, 30, 20));
  buttons->GetLayout()->SetChildMargin(10);
  buttons->SetFloat(true);
  buttons->SetHorAlign(ui::HorAlign::kRight);
  buttons->SetVerAlign(ui::VerAlign::kBottom);
  Control* spacer = Stretch();
  Control* yes = Fixed(80, 32);
  Control* no = Fixed(80, 32);
  buttons->Add(Owned(spacer));
  buttons->Add(Owned(yes));
  buttons->Add(Owned(no));
  root.Add(Owned(title));
  root.Add(Owned(text));
  root.Add(Owned(buttons));
  root.SetPos(R(0, 0, 358, 208));

  EXPECT_TRUE(PosIs(title, 0, 0, 358, 65));
  EXPECT_TRUE(PosIs(text, 30, 85, 330, 125));
  // The row is as tall as its buttons and spans the width left of its right
  // margin, so the buttons end 30 from the right and 20 from the bottom.
  EXPECT_TRUE(PosIs(buttons, 0, 156, 328, 188));
  EXPECT_TRUE(PosIs(spacer, 0, 156, 148, 188));
  EXPECT_TRUE(PosIs(yes, 158, 156, 238, 188));
  EXPECT_TRUE(PosIs(no, 248, 156, 328, 188));

  // Hiding the yes button leaves a single button in the same corner.
  yes->SetVisible(false);
  root.SetPos(R(0, 0, 358, 208));
  EXPECT_TRUE(PosIs(no, 248, 156, 328, 188));
  EXPECT_TRUE(PosIs(spacer, 0, 156, 238, 188));
}

TEST_F(LayoutTest, AutoBoxMeasuresItsChildrenWithPaddingAndMargins) {
  VBox column;
  column.SetFixedWidth(ui::kSizeAuto);
  column.SetFixedHeight(ui::kSizeAuto);
  column.GetLayout()->SetPadding(R(2, 3, 4, 5));
  column.GetLayout()->SetChildMargin(5);
  Control* a = Fixed(30, 30);
  a->SetMargin(R(1, 0, 2, 0));
  Control* b = Fixed(50, 30);
  Control* hidden = Fixed(500, 500);
  hidden->SetVisible(false);
  column.Add(Owned(a));
  column.Add(Owned(b));
  column.Add(Owned(hidden));
  SIZE size = column.MeasureSize(1000, 1000);
  EXPECT_EQ(2 + 50 + 4, size.cx);
  EXPECT_EQ(3 + 30 + 5 + 30 + 5, size.cy);

  // A row sums widths; a stretch child counts as -1 raised to its min width.
  HBox row;
  row.SetFixedWidth(ui::kSizeAuto);
  row.SetFixedHeight(ui::kSizeAuto);
  row.GetLayout()->SetChildMargin(3);
  row.Add(Owned(Fixed(10, 4)));
  Control* s = Stretch();
  s->SetMinWidth(6);
  row.Add(Owned(s));
  row.Add(Owned(Fixed(20, 9)));
  size = row.MeasureSize(1000, 1000);
  EXPECT_EQ(10 + 6 + 20 + 2 * 3, size.cx);
  EXPECT_EQ(9, size.cy);

  // A plain Box takes the largest child including its margins.
  Box stack;
  stack.SetFixedWidth(ui::kSizeAuto);
  stack.SetFixedHeight(ui::kSizeAuto);
  Control* m = Fixed(40, 10);
  m->SetMargin(R(0, 107, 0, 0));
  stack.Add(Owned(m));
  stack.Add(Owned(Fixed(60, 20)));
  size = stack.MeasureSize(1000, 1000);
  EXPECT_EQ(60, size.cx);
  EXPECT_EQ(117, size.cy);
}

TEST_F(LayoutTest, EstimatesAreCachedUntilASizeWishChanges) {
  ProbeControl* probe = new ProbeControl();
  probe->SetFixedWidth(ui::kSizeAuto);
  probe->SetFixedHeight(ui::kSizeAuto);
  probe->text_size = SIZE{42, 17};
  VBox column;
  column.Add(Owned(probe));
  EXPECT_EQ(42, probe->MeasureSize(100, 100).cx);
  EXPECT_EQ(17, probe->MeasureSize(100, 100).cy);
  EXPECT_EQ(1, probe->text_estimates) << "the second measure must come from the cache";

  column.SetPos(R(0, 0, 100, 100));
  column.SetPos(R(0, 0, 100, 101));
  EXPECT_EQ(1, probe->text_estimates) << "layout passes must reuse the cached estimate";
  EXPECT_TRUE(PosIs(probe, 0, 0, 42, 17));

  probe->SetMinHeight(3);
  probe->text_size = SIZE{50, 20};
  column.SetPos(R(0, 0, 100, 102));
  EXPECT_EQ(2, probe->text_estimates);
  EXPECT_TRUE(PosIs(probe, 0, 0, 50, 20));
}

TEST_F(LayoutTest, ChangedSizeWishRearrangesTheNearestFixedAncestor) {
  // root (fixed) > auto column > child: growing the child must re-lay out
  // the root at the next pass, and the auto column grows with it.
  test_support::OffscreenHost host(300, 200);
  VBox* root = new VBox();
  VBox* column = new VBox();
  column->SetFixedHeight(ui::kSizeAuto);
  Control* child = Fixed(50, 20);
  Control* below = Fixed(50, 10);
  column->Add(Owned(child));
  root->Add(Owned(column));
  root->Add(Owned(below));
  host.AttachRoot(root);
  host.LayoutIfNeeded();
  EXPECT_TRUE(PosIs(column, 0, 0, 300, 20));
  EXPECT_TRUE(PosIs(below, 0, 20, 50, 30));
  EXPECT_FALSE(host.IsLayoutRequested());

  child->SetFixedHeight(35);
  EXPECT_TRUE(host.IsLayoutRequested()) << "a size change must ask the window for a layout pass";
  EXPECT_TRUE(root->NeedsLayout()) << "the arrangement must start above the auto-sized column";
  host.LayoutIfNeeded();
  EXPECT_TRUE(PosIs(column, 0, 0, 300, 35));
  EXPECT_TRUE(PosIs(below, 0, 35, 50, 45));

  // A margin change of a child of a fixed box arranges that box only.
  HBox* row = new HBox();
  row->SetFixedHeight(30);
  Control* cell = Fixed(10, 10);
  row->Add(Owned(cell));
  root->Add(Owned(row));
  host.LayoutIfNeeded();
  const int passes = host.GetLayoutPassCount();
  cell->SetMargin(R(8, 0, 0, 0));
  EXPECT_TRUE(row->NeedsLayout());
  EXPECT_FALSE(root->NeedsLayout());
  host.LayoutIfNeeded();
  EXPECT_EQ(passes + 1, host.GetLayoutPassCount());
  EXPECT_EQ(8, cell->GetPos().left);
}

TEST_F(LayoutTest, ColumnSharesHeightTheSameWay) {
  // 100 high, child margin 2, three stretch children with 1 px margins:
  // fixed 4 + 6 = 10, share 30, no remainder; then 101 gives the first one 31.
  VBox column;
  column.GetLayout()->SetChildMargin(2);
  Control* k[3];
  for (auto& child : k) {
    child = Stretch();
    child->SetMargin(R(0, 1, 0, 1));
    column.Add(Owned(child));
  }
  column.SetPos(R(0, 0, 10, 100));
  EXPECT_TRUE(PosIs(k[0], 0, 1, 10, 31));
  EXPECT_TRUE(PosIs(k[1], 0, 35, 10, 65));
  EXPECT_TRUE(PosIs(k[2], 0, 69, 10, 99));
  column.SetPos(R(0, 0, 10, 101));
  EXPECT_TRUE(PosIs(k[0], 0, 1, 10, 32));
  EXPECT_TRUE(PosIs(k[1], 0, 36, 10, 66));
  EXPECT_TRUE(PosIs(k[2], 0, 70, 10, 100));
}

TEST_F(LayoutTest, AutoChildWiderThanItsRoomIsMeasuredAgainAtTheRoomWidth) {
  // Auto text with no maximum width wraps to the room of a plain box; the
  // control stays auto-sized for the next pass.
  Box box;
  ProbeControl* probe = new ProbeControl();
  probe->SetFixedWidth(ui::kSizeAuto);
  probe->SetFixedHeight(ui::kSizeAuto);
  probe->SetMaxWidth(-1);
  probe->text_size = SIZE{200, 10};
  box.Add(Owned(probe));
  box.SetPos(R(0, 0, 100, 50));
  EXPECT_TRUE(PosIs(probe, 0, 0, 100, 10));
  EXPECT_TRUE(probe->IsAutoWidth());
  EXPECT_TRUE(probe->IsEstimateStale());

  // With the default maximum width the text keeps its width.
  ProbeControl* keeps = new ProbeControl();
  keeps->SetFixedWidth(ui::kSizeAuto);
  keeps->SetFixedHeight(ui::kSizeAuto);
  keeps->text_size = SIZE{200, 10};
  box.Add(Owned(keeps));
  box.SetPos(R(0, 0, 100, 51));
  EXPECT_TRUE(PosIs(keeps, 0, 0, 200, 10));
}

TEST_F(LayoutTest, PositionKeepsRightAndBottomAtLeastLeftAndTop) {
  Control c;
  c.SetPos(R(50, 40, 10, 5));
  EXPECT_TRUE(PosIs(&c, 50, 40, 50, 40));
  // A row too narrow for its fixed children places them all the same.
  HBox row;
  Control* a = Fixed(30, 5);
  Control* s = Stretch();
  row.Add(Owned(a));
  row.Add(Owned(s));
  row.SetPos(R(0, 0, 20, 5));
  EXPECT_TRUE(PosIs(a, 0, 0, 30, 5));
  EXPECT_TRUE(PosIs(s, 30, 0, 30, 5)) << "a stretch child with no room gets zero width";
}

}  // namespace
}  // namespace controls_test
