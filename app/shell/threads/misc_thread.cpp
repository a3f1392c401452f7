#include "app/shell/threads/misc_thread.h"

#include "base/thread_registry.h"

namespace app {

MiscThread::MiscThread(int identifier) : FrameworkThread("Global Misc Thread"), identifier_(identifier) {}

// The loop's tasks may still use this object: end the thread before the
// members go.
MiscThread::~MiscThread() { Stop(); }

void MiscThread::Init() { base::ThreadRegistry::RegisterThread(identifier_); }

void MiscThread::Cleanup() { base::ThreadRegistry::UnregisterThread(); }

}  // namespace app
