#include "base/thread_registry.h"

#include <map>

#include "base/framework_thread.h"
#include "base/lock.h"
#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/thread_record.h"

namespace base {
namespace {

struct Registry {
  Lock lock;
  std::map<int, FrameworkThread*> threads;  // not owned
};

Registry& TheRegistry() {
  // Never destroyed: the process ends from inside the UI loop (the installer
  // window's close calls exit) while the worker may still be posting, so the
  // lock must outlive the static destructors.
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

bool ThreadRegistry::RegisterThread(int identifier) {
  ThreadRecord* record = ThreadRecord::Current();
  if (!record || !record->owner || identifier < 0) return false;
  Registry& registry = TheRegistry();
  AutoLock hold(registry.lock);
  // One identifier per thread: a second one would be left behind in the map
  // when the thread unregisters.
  if (record->identifier >= 0 && record->identifier != identifier) return false;
  auto it = registry.threads.find(identifier);
  if (it != registry.threads.end() && it->second != record->owner) return false;
  registry.threads[identifier] = record->owner;
  ++record->registration_count;
  record->identifier = identifier;
  return true;
}

bool ThreadRegistry::UnregisterThread() {
  ThreadRecord* record = ThreadRecord::Current();
  if (!record) return false;
  Registry& registry = TheRegistry();
  AutoLock hold(registry.lock);
  if (record->registration_count <= 0) return false;
  if (--record->registration_count == 0) {
    auto it = registry.threads.find(record->identifier);
    if (it != registry.threads.end() && it->second == record->owner) registry.threads.erase(it);
    record->identifier = -1;
  }
  return true;
}

void ThreadRegistry::ForgetCurrentThread() {
  ThreadRecord* record = ThreadRecord::Current();
  if (!record || record->identifier < 0) return;
  Registry& registry = TheRegistry();
  AutoLock hold(registry.lock);
  auto it = registry.threads.find(record->identifier);
  if (it != registry.threads.end() && it->second == record->owner) registry.threads.erase(it);
  record->identifier = -1;
  record->registration_count = 0;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::GetLoopProxy(int identifier) {
  Registry& registry = TheRegistry();
  AutoLock hold(registry.lock);
  auto it = registry.threads.find(identifier);
  if (it == registry.threads.end()) return nullptr;
  // A registered thread's loop exists: a thread leaves the map before its
  // loop is deleted.
  MessageLoop* loop = it->second->message_loop();
  if (!loop) return nullptr;
  return loop->proxy();
}

bool ThreadRegistry::PostTask(int identifier, StdClosure task) {
  std::shared_ptr<MessageLoopProxy> proxy = GetLoopProxy(identifier);
  return proxy && proxy->PostTask(std::move(task));
}

bool ThreadRegistry::PostDelayedTask(int identifier, StdClosure task, int64_t delay) {
  std::shared_ptr<MessageLoopProxy> proxy = GetLoopProxy(identifier);
  return proxy && proxy->PostDelayedTask(std::move(task), delay);
}

bool ThreadRegistry::PostNonNestableTask(int identifier, StdClosure task) {
  std::shared_ptr<MessageLoopProxy> proxy = GetLoopProxy(identifier);
  return proxy && proxy->PostNonNestableTask(std::move(task));
}

bool ThreadRegistry::PostNonNestableDelayedTask(int identifier, StdClosure task, int64_t delay) {
  std::shared_ptr<MessageLoopProxy> proxy = GetLoopProxy(identifier);
  return proxy && proxy->PostNonNestableDelayedTask(std::move(task), delay);
}

int ThreadRegistry::CurrentThreadIdentifier() {
  ThreadRecord* record = ThreadRecord::Current();
  return record ? record->identifier : -1;
}

bool ThreadRegistry::BelongsTo(int identifier) {
  return identifier >= 0 && CurrentThreadIdentifier() == identifier;
}

}  // namespace base
