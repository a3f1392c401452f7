#include <gtest/gtest.h>
#include <windows.h>

#include "base/unique_any.h"

namespace {

TEST(UniqueAnyTest, ClosesHandleAndKeepsLastError) {
  // Releasing a handle leaves the caller's last-error code as it was.
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  {
    base::unique_handle owner(event);
    ::SetLastError(1234);
  }
  EXPECT_EQ(::GetLastError(), 1234u) << "closing changed the last error";
  DWORD flags = 0;
  EXPECT_FALSE(::GetHandleInformation(event, &flags)) << "handle still open after owner died";
}

TEST(UniqueAnyTest, MoveTransfersOwnership) {
  // A moved-from owner holds nothing and closes nothing.
  base::unique_handle a(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE raw = a.get();
  base::unique_handle b(std::move(a));
  EXPECT_FALSE(a.is_valid());
  EXPECT_EQ(b.get(), raw);
  b = std::move(b);
  EXPECT_EQ(b.get(), raw) << "self-move dropped the handle";
}

TEST(UniqueAnyTest, SelectionIsUndoneOnceByItsLastOwner) {
  base::unique_hdc dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const HGDIOBJ stock = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
  base::unique_hbitmap first(::CreateCompatibleBitmap(dc.get(), 4, 4));
  base::unique_hbitmap second(::CreateCompatibleBitmap(dc.get(), 4, 4));
  ASSERT_TRUE(first && second);

  // A moved selection stays in the DC until its new owner lets go.
  base::unique_select_object held;
  {
    base::unique_select_object selection(dc.get(), first.get());
    held = std::move(selection);
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), first.get())
      << "the moved-from owner undid the selection";

  // Undone, the DC holds what it held before; a new selection after that
  // is undone the same way.
  held.reset();
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), stock)
      << "reset did not select the DC's original bitmap back";
  held = base::unique_select_object(dc.get(), second.get());
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), second.get());
  held.reset();
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), stock);
  held.reset();
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), stock) << "a repeated reset changed the DC";
}

}  // namespace
