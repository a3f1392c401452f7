#include "base/framework_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/thread_record.h"
#include "base/thread_registry.h"
#include "loop_test_support.h"

namespace {

// A worker that registers itself under an identifier while it runs, the way
// the installer's worker does.
class RegisteredThread : public base::FrameworkThread {
 public:
  RegisteredThread(const char* name, int identifier)
      : base::FrameworkThread(name), identifier_(identifier) {}
  ~RegisteredThread() override { Stop(); }
  std::atomic<bool> registered{false};
  std::atomic<bool> cleaned_up{false};

 protected:
  void Init() override { registered = base::ThreadRegistry::RegisterThread(identifier_); }
  void Cleanup() override {
    base::ThreadRegistry::UnregisterThread();
    cleaned_up = true;
  }

 private:
  int identifier_;
};

// An event the test sets by hand, for holding a worker inside a task.
class Gate {
 public:
  Gate() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void Open() { ::SetEvent(event_.get()); }
  bool Wait(DWORD ms = 10000) { return ::WaitForSingleObject(event_.get(), ms) == WAIT_OBJECT_0; }

 private:
  base::unique_handle event_;
};

TEST(FrameworkThreadTest, StartReturnsRegisteredAndStopUnregisters) {
  test::Reaper reaper("the worker thread did not start or stop");
  RegisteredThread worker("test worker", 11);
  ASSERT_TRUE(worker.Start(base::kDefault));
  // The registration made in Init is visible as soon as Start returns.
  EXPECT_TRUE(worker.registered);
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_EQ(worker.thread_name(), "test worker");
  EXPECT_FALSE(worker.Start(base::kDefault)) << "a running thread was started a second time";

  Gate ran;
  DWORD ran_on = 0;
  EXPECT_TRUE(base::ThreadRegistry::PostTask(11, [&] {
    ran_on = ::GetCurrentThreadId();
    ran.Open();
  }));
  ASSERT_TRUE(ran.Wait()) << "a task posted by identifier never ran";
  EXPECT_NE(ran_on, ::GetCurrentThreadId());

  worker.Stop();
  EXPECT_TRUE(worker.cleaned_up);
  EXPECT_FALSE(worker.IsRunning());

  // After the worker has gone, posting to its identifier fails and the task
  // is destroyed without running.
  auto witness = std::make_shared<int>(0);
  bool late_ran = false;
  EXPECT_FALSE(base::ThreadRegistry::PostTask(11, [witness, &late_ran] { late_ran = true; }));
  EXPECT_FALSE(base::ThreadRegistry::GetLoopProxy(11));
  EXPECT_EQ(witness.use_count(), 1) << "a refused task was kept somewhere";
  EXPECT_FALSE(late_ran);
  // Nothing was ever registered under this one.
  EXPECT_FALSE(base::ThreadRegistry::PostTask(12345, [&late_ran] { late_ran = true; }));
  EXPECT_FALSE(late_ran);

  // The thread object can be started again.
  ASSERT_TRUE(worker.Start(base::kDefault));
  EXPECT_TRUE(base::ThreadRegistry::PostTask(11, [] {}));
}

TEST(FrameworkThreadTest, StopStillRunsQueuedTasksAndDropsUndueOnes) {
  test::Reaper reaper("the worker did not end after Stop");
  RegisteredThread worker("stopping worker", 21);
  ASSERT_TRUE(worker.Start(base::kDefault));
  Gate hold;
  std::vector<int> ran;
  auto witness = std::make_shared<int>(0);
  base::ThreadRegistry::PostTask(21, [&] { hold.Wait(); });
  for (int i = 0; i < 10; ++i) base::ThreadRegistry::PostTask(21, [&ran, i] { ran.push_back(i); });
  base::ThreadRegistry::PostDelayedTask(21, [witness, &ran] { ran.push_back(-1); }, 60 * 1000 * 1000);
  worker.RequestStop();
  hold.Open();
  worker.Stop();
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}))
      << "a stop request lost tasks queued before it";
  EXPECT_EQ(witness.use_count(), 1) << "the undue delayed task outlived the loop";
}

TEST(FrameworkThreadTest, ATaskBoundToADestroyedThreadObjectIsDropped) {
  test::Reaper reaper("destroying the thread object never finished");
  auto worker = std::make_unique<base::FrameworkThread>("doomed worker");
  ASSERT_TRUE(worker->Start(base::kDefault));
  std::shared_ptr<base::MessageLoopProxy> proxy = worker->message_loop_proxy();
  // The first task holds the worker until the object's destruction has
  // begun (its weak flag is gone); the second, bound weakly to the object,
  // must then be dropped without running, while the plain third still runs.
  base::WeakFlagHandle flag = worker->GetWeakFlag();
  std::atomic<bool> weak_ran{false};
  std::atomic<bool> plain_ran{false};
  proxy->PostTask([flag] {
    while (!flag.expired()) ::Sleep(1);
  });
  proxy->PostTask(worker->ToWeakCallback([&weak_ran] { weak_ran = true; }));
  proxy->PostTask([&plain_ran] { plain_ran = true; });
  worker.reset();
  EXPECT_FALSE(weak_ran) << "a task bound to the destroyed thread object still ran";
  EXPECT_TRUE(plain_ran) << "the plain task queued before the stop was lost";
  EXPECT_FALSE(proxy->PostTask([] {})) << "the proxy still posts into a loop that is gone";
}

TEST(FrameworkThreadTest, RegistryKeepsOneThreadPerIdentifierAndOneIdentifierPerThread) {
  test::Reaper reaper("the registry test's workers never finished");
  // A plain thread (no FrameworkThread) cannot register.
  bool plain_registered = true;
  std::thread([&] { plain_registered = base::ThreadRegistry::RegisterThread(41); }).join();
  EXPECT_FALSE(plain_registered);
  EXPECT_FALSE(base::ThreadRegistry::UnregisterThread()) << "an unregistered thread unregistered";

  RegisteredThread first("first", 41);
  RegisteredThread second("second", 41);
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());
  EXPECT_TRUE(first.registered);
  EXPECT_FALSE(second.registered) << "two threads got the same identifier";

  // On its own thread: registering again under the same identifier counts,
  // another identifier is refused, and the identifier is freed with the
  // last unregistration.
  Gate done;
  std::vector<std::string> results;
  base::ThreadRegistry::PostTask(41, [&] {
    auto note = [&](const char* what, bool value) {
      results.push_back(std::string(what) + (value ? "=yes" : "=no"));
    };
    note("again", base::ThreadRegistry::RegisterThread(41));
    note("other", base::ThreadRegistry::RegisterThread(42));
    note("id", base::ThreadRegistry::CurrentThreadIdentifier() == 41);
    note("unregister", base::ThreadRegistry::UnregisterThread());
    note("still", static_cast<bool>(base::ThreadRegistry::GetLoopProxy(41)));
    note("unregister", base::ThreadRegistry::UnregisterThread());
    note("gone", !base::ThreadRegistry::GetLoopProxy(41));
    note("unregister", base::ThreadRegistry::UnregisterThread());
    note("quitting", base::ThreadRecord::Current()->quitting);
    base::ThreadRegistry::RegisterThread(41);  // for Cleanup
    done.Open();
  });
  ASSERT_TRUE(done.Wait());
  EXPECT_EQ(results, (std::vector<std::string>{"again=yes", "other=no", "id=yes", "unregister=yes",
                                               "still=yes", "unregister=yes", "gone=yes",
                                               "unregister=no", "quitting=no"}));
  EXPECT_FALSE(base::ThreadRegistry::GetLoopProxy(42));
}

TEST(FrameworkThreadTest, AThreadThatForgetsToUnregisterIsNotFoundAfterItEnds) {
  // The registry must not hand out a thread whose loop is gone.
  class Forgetful : public base::FrameworkThread {
   public:
    Forgetful() : base::FrameworkThread("forgetful") {}
    ~Forgetful() override { Stop(); }

   protected:
    void Init() override { base::ThreadRegistry::RegisterThread(51); }
  };
  test::Reaper reaper("the forgetful worker never ended");
  Forgetful worker;
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(base::ThreadRegistry::GetLoopProxy(51));
  worker.Stop();
  EXPECT_FALSE(base::ThreadRegistry::GetLoopProxy(51));
  EXPECT_FALSE(base::ThreadRegistry::PostTask(51, [] {}));
}

TEST(FrameworkThreadTest, RunOnCurrentThreadReturnsAfterTheStopTaskAndCleanup) {
  // The UI thread runs this way: the stop task sets the record's quitting
  // flag, and the loop ends once the tasks queued before it have run.
  class OnThisThread : public base::FrameworkThread {
   public:
    OnThisThread() : base::FrameworkThread("MainThread") {}
    std::vector<std::string> log;

   protected:
    void Init() override {
      base::ThreadRegistry::RegisterThread(0);
      base::ThreadRegistry::PostTask(0, [this] {
        log.push_back("task");
        RequestStop();
        base::ThreadRegistry::PostTask(0, [this] { log.push_back("after-stop-request"); });
      });
    }
    void Cleanup() override {
      log.push_back(base::ThreadRecord::Current()->quitting ? "cleanup-quitting" : "cleanup");
      base::ThreadRegistry::UnregisterThread();
    }
  };
  test::Reaper reaper("RunOnCurrentThread never returned");
  OnThisThread ui;
  ui.RunOnCurrentThread(base::kUI);
  EXPECT_EQ(ui.log, (std::vector<std::string>{"task", "after-stop-request", "cleanup-quitting"}));
  EXPECT_EQ(base::ThreadRecord::Current(), nullptr);
  EXPECT_EQ(base::MessageLoop::Current(), nullptr);
  EXPECT_FALSE(base::ThreadRegistry::PostTask(0, [] {}));
}

TEST(FrameworkThreadTest, StartFailsWhenTheThreadCannotMakeItsLoop) {
  class Refusing : public base::MessageLoopFactory {
   public:
    explicit Refusing(bool by_throwing) : by_throwing_(by_throwing) {}
    base::MessageLoop* CreateMessageLoop() override {
      if (by_throwing_) throw std::bad_alloc();
      return nullptr;
    }

   private:
    bool by_throwing_;
  };
  test::Reaper reaper("Start waited for good on a thread that could not make its loop");
  RegisteredThread worker("loopless", 71);
  for (bool by_throwing : {true, false}) {
    EXPECT_FALSE(worker.StartWithLoopFactory(std::make_shared<Refusing>(by_throwing)))
        << "a thread without a loop was reported started (throwing: " << by_throwing << ")";
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(worker.registered) << "Init ran without a loop";
  }
  // The object stays usable for another Start.
  ASSERT_TRUE(worker.Start(base::kDefault));
  EXPECT_TRUE(worker.registered);
}

TEST(FrameworkThreadTest, CustomAndIOLoopsRunTasks) {
  class Factory : public base::MessageLoopFactory {
   public:
    base::MessageLoop* CreateMessageLoop() override {
      ++made;
      return new base::MessageLoop;
    }
    int made = 0;
  };
  test::Reaper reaper("a custom or IO loop never ran its task");
  auto factory = std::make_shared<Factory>();
  RegisteredThread custom("custom", 61);
  ASSERT_TRUE(custom.StartWithLoopFactory(factory));
  EXPECT_EQ(factory->made, 1);
  RegisteredThread io("io", 62);
  ASSERT_TRUE(io.Start(base::kIO));
  Gate custom_ran, io_ran;
  base::ThreadRegistry::PostTask(61, [&] { custom_ran.Open(); });
  base::ThreadRegistry::PostDelayedTask(62, [&] {
    EXPECT_EQ(base::MessageLoop::Current()->kind(), base::kIO);
    io_ran.Open();
  }, 20000);
  EXPECT_TRUE(custom_ran.Wait());
  EXPECT_TRUE(io_ran.Wait());
  custom.Stop();
  EXPECT_EQ(factory.use_count(), 1) << "the thread kept its loop factory after the run";
}

}  // namespace
