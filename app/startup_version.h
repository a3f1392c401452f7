// The start-up's version query, run beside other start-up work.
#pragma once

#include <functional>

namespace app {

// Runs GetNewVersion and `work` at the same time and returns when both are
// done: the query, which spends most of its time waiting on the network, on
// the worker thread (idle until the user presses install), `work` on the
// calling thread. With no worker thread registered, the query runs here
// after `work`. The caller still proceeds only with the package location
// known, as with a plain GetNewVersion.
void GetNewVersionWhile(const std::function<void()>& work);

}  // namespace app
