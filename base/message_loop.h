// A thread's queue of tasks and the rules in which order they run.
//
// Any thread may post; everything else happens on the loop's own thread.
// Immediate tasks from all threads run in the order in which they entered the
// incoming queue. Delayed tasks run by due time, equal times in posting
// order, and a due delayed task runs after the immediate task taken in the
// same pump iteration. A task never runs inside another task: while one runs
// (even when it sits in a native modal loop that keeps dispatching the pump's
// messages) DoWork and DoDelayedWork refuse. A task that runs a nested loop on
// purpose allows nestable tasks with ScopedNestableTaskAllower; non-nestable
// tasks still wait until the outermost run (depth 1) gets control back.
//
// A loop ends only through its pump's Quit: QuitWhenIdle (the stop task of a
// FrameworkThread) ends it at the next idle point, once no immediate and no
// due delayed task is left. Tasks still queued when the loop is destroyed are
// destroyed without running, on the loop's thread.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <queue>
#include <vector>

#include "base/lock.h"
#include "base/loop_kind.h"
#include "base/message_dispatcher.h"
#include "base/message_pump.h"
#include "base/observer_list.h"
#include "base/weak_callback.h"

namespace base {

class MessageLoopProxy;

struct QueuedTask {
  int64_t delayed_run_time = 0;  // NowTicks microseconds; 0 = as soon as possible
  int sequence_num = 0;          // given when the task enters the delayed queue
  bool nestable = true;
  StdClosure task;
};

struct LoopRunState {
  int depth = 1;  // the enclosing run's depth + 1, or 1
  bool quit_received = false;
  MessageDispatcher* dispatcher = nullptr;
};

class MessageLoop : public MessagePump::Delegate {
 public:
  class TaskObserver {
   public:
    virtual ~TaskObserver() = default;
    virtual void WillProcessTask() = 0;
    virtual void DidProcessTask() = 0;
  };
  class DestructionObserver {
   public:
    virtual ~DestructionObserver() = default;
    // The loop of this thread is about to go; its queues are already empty.
    virtual void WillDestroyCurrentMessageLoop() = 0;
  };

  // A plain loop with a DefaultMessagePump. Becomes the calling thread's
  // current loop; a thread has at most one.
  MessageLoop();
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The calling thread's loop, or null.
  static MessageLoop* Current();

  // Any thread. Delays are microseconds.
  void PostTask(StdClosure task);
  void PostDelayedTask(StdClosure task, int64_t delay);
  void PostNonNestableTask(StdClosure task);
  void PostNonNestableDelayedTask(StdClosure task, int64_t delay);

  // Runs the loop on its thread until it is told to quit. May be called from
  // inside a task (a nested run, one level deeper). FrameworkThread runs its
  // loop this way; tests and tools can drive a loop of their own with it.
  void Run(MessageDispatcher* dispatcher = nullptr);
  // Ends the innermost Run at its next idle point. Loop thread.
  void QuitWhenIdle();

  // Whether a task may start now. False while a task runs.
  bool NestableTasksAllowed() const { return nestable_tasks_allowed_; }
  void SetNestableTasksAllowed(bool allowed);
  // Depth of the innermost Run: 1 for the outermost, 0 when not running.
  int run_depth() const { return run_state_ ? run_state_->depth : 0; }
  bool IsNested() const { return run_depth() > 1; }

  LoopKind kind() const { return kind_; }
  // The handle other threads post through; it outlives the loop safely.
  const std::shared_ptr<MessageLoopProxy>& proxy() const { return proxy_; }
  MessagePump* pump() const { return pump_.get(); }

  void AddTaskObserver(TaskObserver* observer) { task_observers_.AddObserver(observer); }
  void RemoveTaskObserver(TaskObserver* observer) { task_observers_.RemoveObserver(observer); }
  void AddDestructionObserver(DestructionObserver* observer) {
    destruction_observers_.AddObserver(observer);
  }
  void RemoveDestructionObserver(DestructionObserver* observer) {
    destruction_observers_.RemoveObserver(observer);
  }

  // MessagePump::Delegate, called by the pump on the loop's thread.
  bool DoWork() override;
  bool DoDelayedWork(int64_t* next_run_time) override;
  bool DoIdleWork() override;

  // Appends to the incoming queue and wakes the pump when it was empty.
  virtual void Enqueue(QueuedTask task);

 protected:
  // For UIMessageLoop and IOMessageLoop: their own pump and kind.
  MessageLoop(LoopKind kind, std::shared_ptr<MessagePump> pump);

  // Runs the pump for the current run state; a UI loop hands over the
  // dispatcher.
  virtual void RunPump();
  LoopRunState* run_state() const { return run_state_; }

 private:
  struct DelayedLater {
    // Heap order: the head is the earliest run time, then the lowest sequence.
    bool operator()(const QueuedTask& a, const QueuedTask& b) const {
      if (a.delayed_run_time != b.delayed_run_time) return a.delayed_run_time > b.delayed_run_time;
      return a.sequence_num > b.sequence_num;
    }
  };
  using TaskQueue = std::deque<QueuedTask>;
  using DelayedQueue = std::priority_queue<QueuedTask, std::vector<QueuedTask>, DelayedLater>;

  void RunOneTask(const QueuedTask& task);
  bool DeferOrRunTask(QueuedTask task);
  void AddToDelayedQueue(QueuedTask task);
  void ReloadWorkQueue();
  bool DiscardPendingTasks();
  void PostQueued(StdClosure task, int64_t delay, bool nestable);

  LoopKind kind_;
  LoopRunState* run_state_ = nullptr;
  std::shared_ptr<MessagePump> pump_;
  bool nestable_tasks_allowed_ = true;
  TaskQueue incoming_queue_;  // guarded by incoming_lock_; the only shared state
  Lock incoming_lock_;
  TaskQueue work_queue_;
  TaskQueue deferred_queue_;  // non-nestable tasks waiting for depth 1
  DelayedQueue delayed_queue_;
  int next_sequence_num_ = 0;
  int64_t recent_time_ = 0;  // cached NowTicks; 0 = unknown
  ObserverList<TaskObserver> task_observers_;
  ObserverList<DestructionObserver> destruction_observers_;
  std::shared_ptr<MessageLoopProxy> proxy_;
};

// Lets a task that runs a nested loop have nestable tasks run inside it.
class ScopedNestableTaskAllower {
 public:
  explicit ScopedNestableTaskAllower(MessageLoop* loop)
      : loop_(loop), previous_(loop->NestableTasksAllowed()) {
    loop_->SetNestableTasksAllowed(true);
  }
  ~ScopedNestableTaskAllower() { loop_->SetNestableTasksAllowed(previous_); }
  ScopedNestableTaskAllower(const ScopedNestableTaskAllower&) = delete;
  ScopedNestableTaskAllower& operator=(const ScopedNestableTaskAllower&) = delete;

 private:
  MessageLoop* loop_;
  bool previous_;
};

}  // namespace base
