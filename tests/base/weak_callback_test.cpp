#include "base/weak_callback.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

class Counter : public base::SupportWeakCallback {
 public:
  bool Add(int amount) {
    total += amount;
    return true;
  }
  int total = 0;
};

// An owner that embeds a revocable flag, the way a control guards its timers.
class TimerOwner {
 public:
  base::WeakCallbackFlag timer_flag;
  int fired = 0;
  base::StdClosure MakeTimerCallback() {
    return timer_flag.ToWeakCallback([this] { ++fired; });
  }
};

TEST(WeakCallbackTest, CallsThroughWhileTheOwnerLivesAndStopsAfter) {
  // A handler bound weakly runs and returns its result while its owner lives.
  auto owner = std::make_unique<Counter>();
  std::function<bool(int)> handler =
      owner->ToWeakCallback(std::bind(&Counter::Add, owner.get(), std::placeholders::_1));
  EXPECT_TRUE(handler(5));
  EXPECT_EQ(owner->total, 5);

  // Copies made while the owner lives share its fate. The task counts its
  // runs outside the owner, so a run after the owner died can be seen.
  std::function<bool(int)> copy = handler;
  int task_runs = 0;
  base::StdClosure task = base::ToWeakCallback(owner.get(), [&task_runs] { ++task_runs; });
  task();
  EXPECT_EQ(task_runs, 1) << "a task bound to a living owner did not run";

  // Once the owner is gone the handler answers false and touches nothing;
  // the task does nothing. Both stay safe to call, copy and destroy.
  owner.reset();
  EXPECT_FALSE(handler(7)) << "a dead event handler must report 'not handled'";
  EXPECT_FALSE(copy(7));
  task();
  EXPECT_EQ(task_runs, 1) << "a task ran after its owner was destroyed";
  base::StdClosure late_task = task;
  late_task();
  EXPECT_EQ(task_runs, 1) << "a copy made after the owner died ran";
  std::function<bool(int)> late_copy = copy;
  EXPECT_FALSE(late_copy(1));
}

TEST(WeakCallbackTest, CancelKillsOldCallbacksAndANewFlagWorks) {
  TimerOwner owner;
  base::StdClosure before = owner.MakeTimerCallback();
  before();
  EXPECT_EQ(owner.fired, 1);

  // After a cancel, a timer callback made before it does nothing...
  owner.timer_flag.Cancel();
  before();
  EXPECT_EQ(owner.fired, 1) << "a callback made before Cancel still ran";

  // ...while one made after it runs, and the old one stays dead.
  base::StdClosure after = owner.MakeTimerCallback();
  after();
  before();
  EXPECT_EQ(owner.fired, 2);

  // Cancelling twice in a row is harmless.
  owner.timer_flag.Cancel();
  owner.timer_flag.Cancel();
  after();
  EXPECT_EQ(owner.fired, 2);
}

TEST(WeakCallbackTest, GetWeakFlagReturnsTheSameFlagUntilCancelled) {
  base::WeakCallbackFlag flag;
  base::WeakFlagHandle a = flag.GetWeakFlag();
  base::WeakFlagHandle b = flag.GetWeakFlag();
  EXPECT_FALSE(a.owner_before(b) || b.owner_before(a)) << "two asks gave different flags";
  flag.Cancel();
  base::WeakFlagHandle c = flag.GetWeakFlag();
  EXPECT_TRUE(a.expired());
  EXPECT_FALSE(c.expired());
  EXPECT_TRUE(a.owner_before(c) || c.owner_before(a)) << "Cancel did not make a fresh flag";
}

TEST(WeakCallbackTest, CopiedOwnerHandsOutItsOwnCallbacks) {
  // Copying an owner must not tie the copy's callbacks to the original.
  auto original = std::make_unique<Counter>();
  auto from_original = original->ToWeakCallback([] { return 1; });
  Counter copy = *original;
  auto from_copy = copy.ToWeakCallback([] { return 2; });
  original.reset();
  EXPECT_EQ(from_original(), 0);
  EXPECT_EQ(from_copy(), 2) << "the copy's callback died with the original";
}

TEST(WeakCallbackTest, MutableCallablesKeepTheirState) {
  // A mutable lambda wrapped weakly keeps its own state between calls.
  Counter owner;
  auto counting = owner.ToWeakCallback([n = 0]() mutable { return ++n; });
  counting();
  EXPECT_EQ(counting(), 2);
  std::string text = owner.ToWeakCallback([](const std::string& a, const std::string& b) {
    return a + b;
  })("ab", "cd");
  EXPECT_EQ(text, "abcd");
}

}  // namespace
