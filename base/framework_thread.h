// A named OS thread that owns one message loop.
//
// Start runs the thread on a new OS thread; RunOnCurrentThread runs it on the
// calling one (the UI thread). Either way the thread body creates the loop,
// calls Init, runs the loop until a stop request, calls Cleanup and deletes
// the loop. Tasks bound weakly to the thread object (ToWeakCallback) are
// dropped once this class's destructor has begun. A subclass whose members
// its tasks use calls Stop in its own destructor (its tasks then still run,
// while those members exist), or is stopped before it is deleted.
//
// A subclass that also wants SupportWeakCallback as a base must derive from
// it virtually, like this class does.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "base/loop_kind.h"
#include "base/message_dispatcher.h"
#include "base/thread.h"
#include "base/unique_any.h"
#include "base/weak_callback.h"

namespace base {

class MessageLoop;
class MessageLoopProxy;

// Makes the loop of a kCustom thread; the thread deletes the loop after the
// run.
class MessageLoopFactory {
 public:
  virtual ~MessageLoopFactory() = default;
  virtual MessageLoop* CreateMessageLoop() = 0;
};

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
 public:
  explicit FrameworkThread(const char* name);
  ~FrameworkThread() override;

  // Starts the OS thread and returns once it has created its loop and
  // finished Init (so a registration made in Init is visible). Does nothing
  // and returns false if the thread already has a loop; returns false once
  // the OS thread has ended if it could not be created or could not make its
  // loop (the object stays usable for another Start).
  bool Start(LoopKind kind = kDefault, MessageDispatcher* dispatcher = nullptr);
  // Start with a loop made by `factory` (kCustom).
  bool StartWithLoopFactory(std::shared_ptr<MessageLoopFactory> factory);
  // Runs the thread on the calling OS thread; returns when the loop has
  // ended and Cleanup has run, or at once (without Init) when the loop could
  // not be made.
  void RunOnCurrentThread(LoopKind kind = kDefault, MessageDispatcher* dispatcher = nullptr);

  // Asks the loop to end at its next idle point: tasks already queued still
  // run, delayed tasks not yet due are discarded. Any thread, also while the
  // object is being destroyed.
  void RequestStop();
  // RequestStop, then waits until the OS thread has ended. From the thread
  // itself it only requests the stop.
  void Stop();

  bool IsRunning() const { return started_; }
  LoopKind loop_kind() const { return loop_kind_; }
  const std::string& thread_name() const { return name_; }
  // The thread's loop while it exists; use it on the thread itself only.
  MessageLoop* message_loop() const { return message_loop_.get(); }
  // For posting from other threads: stays valid after the loop is gone
  // (posts then return false). Empty until the thread has started.
  std::shared_ptr<MessageLoopProxy> message_loop_proxy() const { return loop_proxy_; }

 protected:
  void ThreadBody() override;
  // On the thread, after its loop exists and before it runs.
  virtual void Init() {}
  // On the thread, after the loop has ended (the loop still exists).
  virtual void Cleanup() {}

 private:
  void PrepareStart(LoopKind kind, MessageDispatcher* dispatcher);
  void RunLoopOnThisThread();
  // The loop of loop_kind_, or null when it cannot be made (the factory gave
  // none, or making it threw).
  MessageLoop* MakeLoop();

  bool started_ = false;
  std::atomic<bool> stop_requested_{false};  // a stop task is queued for this run
  LoopKind loop_kind_ = kDefault;
  std::unique_ptr<MessageLoop> message_loop_;
  std::shared_ptr<MessageLoopFactory> factory_;
  MessageDispatcher* dispatcher_ = nullptr;
  unique_handle start_event_;  // auto-reset; set once the loop exists and Init is done
  std::string name_;
  std::shared_ptr<MessageLoopProxy> loop_proxy_;
};

}  // namespace base
