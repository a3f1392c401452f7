// The start-up's version query, run beside other start-up work.
#pragma once

#include <chrono>
#include <memory>

#include "app/install/install_pipeline.h"

namespace app {

// Starts GetNewVersion on the worker thread (idle until the user presses
// install), where it spends most of its time waiting on the network while
// the calling thread goes on with the start-up. Called once, on the UI
// thread, as early as the worker runs.
void StartVersionQuery();

// Returns when the query StartVersionQuery began has ended (starting it
// first when none was), with the package location it made, for the install
// tasks. With no worker thread registered, the query runs here. A query
// that outlasts `limit` (by default its own time limit and a margin) is not
// waited for any longer: this logs so, and the query finishes on the worker,
// before any install task posted there later. The location belongs to the
// worker: only a caller that saw the query end may read it here.
std::shared_ptr<KnownPackage> WaitForVersionQuery();
std::shared_ptr<KnownPackage> WaitForVersionQuery(std::chrono::milliseconds limit);

}  // namespace app
