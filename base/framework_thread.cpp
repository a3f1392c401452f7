#include "base/framework_thread.h"

#include "base/io_message_loop.h"
#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/thread_record.h"
#include "base/thread_registry.h"
#include "base/ui_message_loop.h"

namespace base {

FrameworkThread::FrameworkThread(const char* name)
    : start_event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)), name_(name ? name : "") {}

FrameworkThread::~FrameworkThread() {
  // Tasks bound weakly to this object must not run once its destruction has
  // begun (a subclass's part is already gone). The stop task is not one of
  // them, so a stop requested earlier still ends the loop, and the stop
  // below makes no fresh flag the worker could be using at the same time.
  ReleaseWeakFlag();
  if (started_) Stop();
  factory_.reset();
}

bool FrameworkThread::Start(LoopKind kind, MessageDispatcher* dispatcher) {
  if (started_ || message_loop_ || !start_event_) return false;
  loop_kind_ = kind;
  dispatcher_ = dispatcher;
  // A previous run may have ended on a stop request without a Stop.
  stop_requested_ = false;
  if (!Create()) return false;
  // A thread that could not make its loop ends without setting the event;
  // waiting on the event alone would then never return.
  const HANDLE started_or_ended[] = {start_event_.get(), thread_handle()};
  if (::WaitForMultipleObjects(2, started_or_ended, FALSE, INFINITE) != WAIT_OBJECT_0) {
    Join();
    if (loop_kind_ == kCustom) factory_.reset();
    return false;
  }
  started_ = true;
  return true;
}

bool FrameworkThread::StartWithLoopFactory(std::shared_ptr<MessageLoopFactory> factory) {
  if (started_ || message_loop_) return false;
  factory_ = std::move(factory);
  return Start(kCustom, nullptr);
}

void FrameworkThread::RunOnCurrentThread(LoopKind kind, MessageDispatcher* dispatcher) {
  loop_kind_ = kind;
  dispatcher_ = dispatcher;
  stop_requested_ = false;
  started_ = true;
  ThreadBody();
}

void FrameworkThread::RequestStop() {
  // The owner's thread and the worker itself may both ask.
  if (!loop_proxy_ || stop_requested_.exchange(true)) return;
  // Non-nestable, so it acts only on the outermost run of the loop. It uses
  // nothing of this object, so it needs no weak binding: it only ever runs
  // on the loop it was posted to, whose end it asks for.
  loop_proxy_->PostNonNestableTask([] {
    if (MessageLoop* loop = MessageLoop::Current()) loop->QuitWhenIdle();
    if (ThreadRecord* record = ThreadRecord::Current()) record->quitting = true;
  });
}

void FrameworkThread::Stop() {
  RequestStop();
  // Waiting for itself would never end.
  if (thread_handle() && ::GetCurrentThreadId() == thread_id()) return;
  Join();
  started_ = false;
  stop_requested_ = false;
}

MessageLoop* FrameworkThread::MakeLoop() {
  try {
    switch (loop_kind_) {
      case kCustom:
        // A factory that has no loop to give fails the start.
        if (factory_) return factory_->CreateMessageLoop();
        break;
      case kIO: return new IOMessageLoop;
      case kUI: return new UIMessageLoop;
      default: break;
    }
    return new MessageLoop;
  } catch (...) {
    ::OutputDebugStringA("base::FrameworkThread: the loop could not be made\n");
    return nullptr;
  }
}

void FrameworkThread::ThreadBody() {
  ThreadRecord* record = ThreadRecord::Current();
  const bool own_record = record == nullptr;
  if (own_record) record = ThreadRecord::CreateForCurrentThread(this);
  record->quitting = false;
  set_thread_id(::GetCurrentThreadId());

  MessageLoop* loop = MakeLoop();
  if (!loop) {
    // Without a loop there is nothing to run: the thread ends with the event
    // unset, which tells Start the thread could not be started.
    set_thread_id(0);
    if (own_record) ThreadRecord::FreeForCurrentThread();
    return;
  }
  message_loop_.reset(loop);
  loop_proxy_ = loop->proxy();

  // Start() waits for the event below, so it must be set whatever Init does.
  try {
    Init();
  } catch (...) {
    ::OutputDebugStringA("base::FrameworkThread: Init threw; the exception was dropped\n");
  }
  ::SetEvent(start_event_.get());

  message_loop_->Run(dispatcher_);

  try {
    Cleanup();
  } catch (...) {
    ::OutputDebugStringA("base::FrameworkThread: Cleanup threw; the exception was dropped\n");
  }
  // A thread that forgot to unregister must not stay findable without a loop.
  if (record->owner == this) ThreadRegistry::ForgetCurrentThread();

  message_loop_.reset();
  if (loop_kind_ == kCustom) factory_.reset();
  set_thread_id(0);
  if (own_record) ThreadRecord::FreeForCurrentThread();
}

}  // namespace base
