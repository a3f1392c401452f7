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

}  // namespace
