#include "base/message_loop.h"

#include "base/default_message_pump.h"
#include "base/message_loop_proxy.h"
#include "base/now_ticks.h"
#include "base/thread_local_pointer.h"

namespace base {
namespace {
ThreadLocalPointer<MessageLoop> g_current_loop;
// Passes of the destructor's discarding: destroying a task may post another.
constexpr int kMaxDiscardPasses = 100;
}  // namespace

MessageLoop::MessageLoop() : MessageLoop(kDefault, std::make_shared<DefaultMessagePump>()) {}

MessageLoop::MessageLoop(LoopKind kind, std::shared_ptr<MessagePump> pump)
    : kind_(kind), pump_(std::move(pump)) {
  g_current_loop.Set(this);
  proxy_ = MessageLoopProxy::Create(this);
}

MessageLoop::~MessageLoop() {
  // Tasks are destroyed, never run. A task's destructor may post again, so
  // keep going while delayed tasks turn up.
  for (int pass = 0; pass < kMaxDiscardPasses; ++pass) {
    DiscardPendingTasks();
    ReloadWorkQueue();
    if (!DiscardPendingTasks()) break;
  }
  destruction_observers_.ForEach(
      [](DestructionObserver* observer) { observer->WillDestroyCurrentMessageLoop(); });
  // From here on every post through the proxy fails.
  proxy_->DetachLoop();
  proxy_.reset();
  if (g_current_loop.Get() == this) g_current_loop.Set(nullptr);
}

MessageLoop* MessageLoop::Current() { return g_current_loop.Get(); }

void MessageLoop::PostTask(StdClosure task) { PostQueued(std::move(task), 0, true); }

void MessageLoop::PostDelayedTask(StdClosure task, int64_t delay) {
  PostQueued(std::move(task), NowTicks() + delay, true);
}

void MessageLoop::PostNonNestableTask(StdClosure task) { PostQueued(std::move(task), 0, false); }

void MessageLoop::PostNonNestableDelayedTask(StdClosure task, int64_t delay) {
  PostQueued(std::move(task), NowTicks() + delay, false);
}

void MessageLoop::PostQueued(StdClosure task, int64_t run_time, bool nestable) {
  QueuedTask queued;
  queued.delayed_run_time = run_time;
  queued.nestable = nestable;
  queued.task = std::move(task);
  Enqueue(std::move(queued));
}

void MessageLoop::Enqueue(QueuedTask task) {
  std::shared_ptr<MessagePump> pump;
  {
    AutoLock hold(incoming_lock_);
    const bool was_empty = incoming_queue_.empty();
    incoming_queue_.push_back(std::move(task));
    // A non-empty queue means the pump has already been woken for it.
    if (!was_empty) return;
    pump = pump_;
  }
  pump->ScheduleWork();
}

void MessageLoop::Run(MessageDispatcher* dispatcher) {
  LoopRunState state;
  state.depth = run_state_ ? run_state_->depth + 1 : 1;
  state.dispatcher = dispatcher;
  LoopRunState* previous = run_state_;
  run_state_ = &state;
  RunPump();
  run_state_ = previous;
}

void MessageLoop::RunPump() { pump_->Run(this); }

void MessageLoop::QuitWhenIdle() {
  if (run_state_) run_state_->quit_received = true;
}

void MessageLoop::SetNestableTasksAllowed(bool allowed) {
  if (allowed && !nestable_tasks_allowed_) {
    nestable_tasks_allowed_ = true;
    // Tasks may have been turned away meanwhile; make the pump look again.
    pump_->ScheduleWork();
    return;
  }
  nestable_tasks_allowed_ = allowed;
}

void MessageLoop::RunOneTask(const QueuedTask& task) {
  // Whatever the task does (even a native modal loop that dispatches the
  // pump's messages) no other task may start inside it.
  nestable_tasks_allowed_ = false;
  task_observers_.ForEach([](TaskObserver* observer) { observer->WillProcessTask(); });
  try {
    if (task.task) task.task();
  } catch (...) {
    ::OutputDebugStringA("base::MessageLoop: a task threw; the exception was dropped\n");
  }
  task_observers_.ForEach([](TaskObserver* observer) { observer->DidProcessTask(); });
  nestable_tasks_allowed_ = true;
}

bool MessageLoop::DeferOrRunTask(QueuedTask task) {
  if (task.nestable || run_depth() <= 1) {
    RunOneTask(task);
    return true;
  }
  deferred_queue_.push_back(std::move(task));
  return false;
}

void MessageLoop::AddToDelayedQueue(QueuedTask task) {
  const int sequence = next_sequence_num_;
  // Wraps like an unsigned counter instead of overflowing.
  next_sequence_num_ = static_cast<int>(static_cast<unsigned>(next_sequence_num_) + 1u);
  task.sequence_num = sequence;
  const int64_t run_time = task.delayed_run_time;
  delayed_queue_.push(std::move(task));
  if (delayed_queue_.top().sequence_num == sequence) pump_->ScheduleDelayedWork(run_time);
}

void MessageLoop::ReloadWorkQueue() {
  if (!work_queue_.empty()) return;
  AutoLock hold(incoming_lock_);
  incoming_queue_.swap(work_queue_);
}

bool MessageLoop::DoWork() {
  if (!nestable_tasks_allowed_) return false;
  for (;;) {
    ReloadWorkQueue();
    if (work_queue_.empty()) return false;
    QueuedTask task = std::move(work_queue_.front());
    work_queue_.pop_front();
    if (task.delayed_run_time != 0) {
      AddToDelayedQueue(std::move(task));
      continue;
    }
    if (DeferOrRunTask(std::move(task))) return true;
  }
}

bool MessageLoop::DoDelayedWork(int64_t* next_run_time) {
  if (!nestable_tasks_allowed_ || delayed_queue_.empty()) {
    recent_time_ = 0;
    *next_run_time = 0;
    return false;
  }
  const int64_t run_time = delayed_queue_.top().delayed_run_time;
  if (run_time > recent_time_) {
    recent_time_ = NowTicks();
    if (run_time > recent_time_) {
      *next_run_time = run_time;
      return false;
    }
  }
  // The heap only orders by time and sequence, which moving leaves intact.
  QueuedTask task = std::move(const_cast<QueuedTask&>(delayed_queue_.top()));
  delayed_queue_.pop();
  if (!delayed_queue_.empty()) *next_run_time = delayed_queue_.top().delayed_run_time;
  return DeferOrRunTask(std::move(task));
}

bool MessageLoop::DoIdleWork() {
  if (nestable_tasks_allowed_ && run_depth() == 1 && !deferred_queue_.empty()) {
    QueuedTask task = std::move(deferred_queue_.front());
    deferred_queue_.pop_front();
    RunOneTask(task);
    return true;
  }
  if (run_state_ && run_state_->quit_received) pump_->Quit();
  return false;
}

bool MessageLoop::DiscardPendingTasks() {
  while (!work_queue_.empty()) {
    QueuedTask task = std::move(work_queue_.front());
    work_queue_.pop_front();
    if (task.delayed_run_time != 0) delayed_queue_.push(std::move(task));
  }
  while (!deferred_queue_.empty()) deferred_queue_.pop_front();
  const bool had_delayed = !delayed_queue_.empty();
  while (!delayed_queue_.empty()) delayed_queue_.pop();
  return had_delayed;
}

}  // namespace base
