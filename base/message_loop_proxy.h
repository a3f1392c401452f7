// A shareable handle for posting into a loop that may be gone.
//
// The loop detaches its proxy when it is destroyed; posting through a
// detached proxy returns false and destroys the task. Posting and detaching
// take the proxy's lock, so a post can never overlap the loop's destruction.
// The last reference, released on any thread, deletes the proxy on its loop's
// thread while that loop lives.
#pragma once

#include <cstdint>
#include <memory>

#include "base/lock.h"
#include "base/weak_callback.h"

namespace base {

class MessageLoop;

class MessageLoopProxy : public SupportWeakCallback {
 public:
  ~MessageLoopProxy() override;

  // False (the task destroyed unrun) when the loop is gone. Delays are
  // microseconds; a delay of 0 posts an immediate task.
  virtual bool PostTask(StdClosure task);
  virtual bool PostDelayedTask(StdClosure task, int64_t delay);
  virtual bool PostNonNestableTask(StdClosure task);
  virtual bool PostNonNestableDelayedTask(StdClosure task, int64_t delay);
  // True if the loop exists and is the calling thread's current loop.
  virtual bool BelongsToCurrentThread();

 private:
  friend class MessageLoop;
  explicit MessageLoopProxy(MessageLoop* target);
  static std::shared_ptr<MessageLoopProxy> Create(MessageLoop* target);

  virtual void DetachLoop();
  virtual void DestroyOnLoopThread();

  Lock lock_;
  MessageLoop* target_;  // null once the loop is gone
};

}  // namespace base
