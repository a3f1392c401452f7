#include "base/thread_record.h"

#include "base/thread_local_pointer.h"

namespace base {
namespace {
ThreadLocalPointer<ThreadRecord> g_current_record;
}  // namespace

ThreadRecord* ThreadRecord::Current() { return g_current_record.Get(); }

ThreadRecord* ThreadRecord::CreateForCurrentThread(FrameworkThread* owner) {
  ThreadRecord* record = new ThreadRecord;
  record->owner = owner;
  g_current_record.Set(record);
  return record;
}

void ThreadRecord::FreeForCurrentThread() {
  delete g_current_record.Get();
  g_current_record.Set(nullptr);
}

}  // namespace base
