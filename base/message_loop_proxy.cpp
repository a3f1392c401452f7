#include "base/message_loop_proxy.h"

#include "base/message_loop.h"

namespace base {

MessageLoopProxy::MessageLoopProxy(MessageLoop* target) : target_(target) {}

MessageLoopProxy::~MessageLoopProxy() = default;

std::shared_ptr<MessageLoopProxy> MessageLoopProxy::Create(MessageLoop* target) {
  return std::shared_ptr<MessageLoopProxy>(
      new MessageLoopProxy(target), [](MessageLoopProxy* proxy) { proxy->DestroyOnLoopThread(); });
}

bool MessageLoopProxy::PostTask(StdClosure task) {
  AutoLock hold(lock_);
  if (!target_) return false;
  target_->PostTask(std::move(task));
  return true;
}

bool MessageLoopProxy::PostDelayedTask(StdClosure task, int64_t delay) {
  if (delay == 0) return PostTask(std::move(task));
  AutoLock hold(lock_);
  if (!target_) return false;
  target_->PostDelayedTask(std::move(task), delay);
  return true;
}

bool MessageLoopProxy::PostNonNestableTask(StdClosure task) {
  AutoLock hold(lock_);
  if (!target_) return false;
  target_->PostNonNestableTask(std::move(task));
  return true;
}

bool MessageLoopProxy::PostNonNestableDelayedTask(StdClosure task, int64_t delay) {
  if (delay == 0) return PostNonNestableTask(std::move(task));
  AutoLock hold(lock_);
  if (!target_) return false;
  target_->PostNonNestableDelayedTask(std::move(task), delay);
  return true;
}

bool MessageLoopProxy::BelongsToCurrentThread() {
  AutoLock hold(lock_);
  return target_ && target_ == MessageLoop::Current();
}

void MessageLoopProxy::DetachLoop() {
  AutoLock hold(lock_);
  target_ = nullptr;
}

void MessageLoopProxy::DestroyOnLoopThread() {
  // The deletion task owns the proxy: whether it runs or is discarded with
  // its loop, the proxy goes on the loop's thread. Declared before the lock,
  // so this frame's own reference is dropped only after unlocking.
  std::shared_ptr<MessageLoopProxy> owner(this);
  AutoLock hold(lock_);
  if (target_ && target_ != MessageLoop::Current()) {
    target_->PostNonNestableTask([owner] {});
  }
}

}  // namespace base
