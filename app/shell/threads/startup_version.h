// The start-up's version query, run beside other start-up work.
#pragma once

#include <chrono>
#include <functional>

namespace app {

// Runs GetNewVersion and `work` at the same time and returns when both are
// done: the query, which spends most of its time waiting on the network, on
// the worker thread (idle until the user presses install), `work` on the
// calling thread. With no worker thread registered, the query runs here
// after `work`. The caller proceeds with the package location known, as
// with a plain GetNewVersion, unless the query outlasts `limit` (by default
// its own time limit and a margin): then it stops waiting, logs so, and the
// query finishes on the worker, before any install task posted there later.
void GetNewVersionWhile(const std::function<void()>& work);
void GetNewVersionWhile(const std::function<void()>& work, std::chrono::milliseconds limit);

}  // namespace app
