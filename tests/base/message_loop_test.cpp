#include "base/message_loop.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/io_message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/ui_message_loop.h"
#include "loop_test_support.h"

namespace {

std::unique_ptr<base::MessageLoop> MakeLoop(base::LoopKind kind) {
  switch (kind) {
    case base::kUI: return std::make_unique<base::UIMessageLoop>();
    case base::kIO: return std::make_unique<base::IOMessageLoop>();
    default: return std::make_unique<base::MessageLoop>();
  }
}

// Every loop flavour keeps the same order of service.
class MessageLoopTest : public testing::TestWithParam<base::LoopKind> {
 protected:
  void SetUp() override { loop_ = MakeLoop(GetParam()); }

  // Runs the loop until it has nothing left to do.
  void RunUntilIdle() {
    loop_->PostTask([this] { loop_->QuitWhenIdle(); });
    loop_->Run();
  }
  base::StdClosure Record(std::string name) {
    return [this, name] { log_.push_back(name); };
  }
  std::string Log() const {
    std::string all;
    for (const std::string& entry : log_) all += (all.empty() ? "" : " ") + entry;
    return all;
  }

  std::unique_ptr<base::MessageLoop> loop_;
  std::vector<std::string> log_;
};

TEST_P(MessageLoopTest, TasksFromSeveralThreadsRunInTheOrderTheyWereQueued) {
  test::Reaper reaper("the loop never ran the tasks posted from four threads");
  constexpr int kThreads = 4;
  constexpr int kPerThread = 400;
  // The posting order across threads is the order in which each append got
  // the ticket lock; the tasks must run in exactly that order.
  std::mutex ticket_lock;
  int next_ticket = 0;
  std::vector<int> ran;
  std::shared_ptr<base::MessageLoopProxy> proxy = loop_->proxy();
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&] {
      for (int i = 0; i < kPerThread; ++i) {
        std::lock_guard<std::mutex> hold(ticket_lock);
        int ticket = next_ticket++;
        proxy->PostTask([&ran, ticket] { ran.push_back(ticket); });
      }
    });
  }
  // The loop runs while the posters post.
  loop_->PostTask([&] {
    for (std::thread& poster : posters) poster.join();
    loop_->QuitWhenIdle();
  });
  loop_->Run();
  ASSERT_EQ(ran.size(), static_cast<size_t>(kThreads * kPerThread)) << "some posted tasks never ran";
  for (int i = 0; i < kThreads * kPerThread; ++i) {
    ASSERT_EQ(ran[i], i) << "task " << i << " ran out of its posting order";
  }
}

TEST_P(MessageLoopTest, DelayedTasksRunByDueTimeAndEqualTimesInPostingOrder) {
  test::Reaper reaper("the delayed tasks never came due");
  test::FakeClock clock(50000);
  loop_->PostDelayedTask(Record("a5"), 5000);
  loop_->PostDelayedTask(Record("b5"), 5000);
  loop_->PostDelayedTask(Record("c2"), 2000);
  loop_->PostDelayedTask(Record("d5"), 5000);
  loop_->PostTask([] { test::FakeClock::Advance(10); });
  RunUntilIdle();
  EXPECT_EQ(Log(), "c2 a5 b5 d5");
}

TEST_P(MessageLoopTest, ADueDelayedTaskRunsAfterTheImmediateTaskOfTheSameTurn) {
  test::Reaper reaper("the loop never ran the due delayed task");
  test::FakeClock clock(50000);
  // Posted first and already due when the loop starts, yet the immediate
  // task taken in the same turn goes first.
  loop_->PostDelayedTask(Record("delayed"), 1000);
  loop_->PostTask(Record("immediate"));
  test::FakeClock::Advance(5);
  RunUntilIdle();
  EXPECT_EQ(Log(), "immediate delayed");
}

TEST_P(MessageLoopTest, QuitWhenIdleStillRunsQueuedTasksAndDropsUndueOnes) {
  test::Reaper reaper("the loop did not end after the quit request");
  auto witness = std::make_shared<int>(0);
  loop_->PostTask([this] { loop_->QuitWhenIdle(); });
  loop_->PostTask(Record("queued1"));
  loop_->PostTask(Record("queued2"));
  loop_->PostDelayedTask([this, witness] { log_.push_back("far-future"); }, 60 * 1000 * 1000);
  loop_->Run();
  EXPECT_EQ(Log(), "queued1 queued2");
  // A task not yet due when the loop goes is destroyed, never run.
  loop_.reset();
  EXPECT_EQ(witness.use_count(), 1) << "the undue task outlived its loop";
  EXPECT_EQ(Log(), "queued1 queued2");
}

TEST_P(MessageLoopTest, NonNestableTasksWaitForTheOutermostRun) {
  test::Reaper reaper("the nested loop never ended");
  loop_->PostTask([this] {
    log_.push_back("outer-begin");
    base::ScopedNestableTaskAllower allow(loop_.get());
    loop_->PostNonNestableTask(Record("non-nestable"));
    loop_->PostTask(Record("nested"));
    loop_->PostTask([this] {
      log_.push_back("depth" + std::to_string(loop_->run_depth()));
      loop_->QuitWhenIdle();
    });
    loop_->Run();
    log_.push_back("outer-end");
    // Back in the outermost run: the deferred task still runs before it ends.
    loop_->QuitWhenIdle();
  });
  loop_->Run();
  EXPECT_EQ(Log(), "outer-begin nested depth2 outer-end non-nestable");
}

TEST_P(MessageLoopTest, ATaskNeverRunsInsideAnotherTask) {
  // Without an allower, a nested run inside a task runs nothing; the task
  // posted meanwhile waits until the first one is over.
  test::Reaper reaper("the loop never got back from the inner run");
  loop_->PostTask([this] {
    loop_->PostTask(Record("second"));
    EXPECT_FALSE(loop_->DoWork()) << "DoWork ran a task inside a task";
    int64_t next = 0;
    EXPECT_FALSE(loop_->DoDelayedWork(&next));
    log_.push_back("first");
  });
  RunUntilIdle();
  EXPECT_EQ(Log(), "first second");
}

TEST_P(MessageLoopTest, TasksLeftAtDestructionAreDestroyedOnTheLoopThreadUnrun) {
  struct Sentinel {
    DWORD* destroyed_on;
    ~Sentinel() { *destroyed_on = ::GetCurrentThreadId(); }
  };
  DWORD destroyed_on = 0;
  bool ran = false;
  auto sentinel = std::make_shared<Sentinel>(Sentinel{&destroyed_on});
  loop_->PostTask([sentinel, &ran] { ran = true; });
  loop_->PostNonNestableDelayedTask([sentinel, &ran] { ran = true; }, 1000);
  sentinel.reset();
  std::shared_ptr<base::MessageLoopProxy> proxy = loop_->proxy();
  EXPECT_TRUE(proxy->BelongsToCurrentThread());
  loop_.reset();
  EXPECT_FALSE(ran);
  EXPECT_EQ(destroyed_on, ::GetCurrentThreadId()) << "queued tasks were not destroyed with the loop";
  // The proxy outlives its loop and refuses further posts.
  EXPECT_FALSE(proxy->PostTask([&ran] { ran = true; }));
  EXPECT_FALSE(proxy->PostDelayedTask([&ran] { ran = true; }, 5));
  EXPECT_FALSE(proxy->BelongsToCurrentThread());
  EXPECT_EQ(base::MessageLoop::Current(), nullptr);
}

TEST_P(MessageLoopTest, ExceptionsFromATaskStayInsideTheLoop) {
  test::Reaper reaper("a throwing task stopped the loop");
  loop_->PostTask([] { throw std::runtime_error("task failure"); });
  loop_->PostTask(Record("after"));
  RunUntilIdle();
  EXPECT_EQ(Log(), "after");
}

INSTANTIATE_TEST_SUITE_P(AllLoops, MessageLoopTest,
                         testing::Values(base::kDefault, base::kUI, base::kIO),
                         [](const testing::TestParamInfo<base::LoopKind>& info) {
                           return std::string(info.param == base::kUI   ? "UI"
                                              : info.param == base::kIO ? "IO"
                                                                        : "Default");
                         });

}  // namespace
