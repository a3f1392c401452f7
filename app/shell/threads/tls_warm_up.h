// The first TLS connection of a process pays for setting up the platform's
// TLS provider and its store of trusted roots, on the version query's path
// to the first paint. None of that needs the network or shows anywhere, so
// it can be done beside the start-up's first steps.
#pragma once

#include "base/unique_any.h"

namespace app {

// Sets the TLS provider and the root store up on a thread of its own, which
// ends when that is done; nothing waits for it to start the install. The
// process can end early, though (no network, another installer, a command
// line it cannot read), and ending it ends that thread wherever it is, maybe
// inside the provider's set-up with its locks held for the provider's unload
// code. So the owner, when it goes, waits for the thread a bounded time.
class TlsWarmUp {
 public:
  TlsWarmUp();
  ~TlsWarmUp();
  TlsWarmUp(const TlsWarmUp&) = delete;
  TlsWarmUp& operator=(const TlsWarmUp&) = delete;

 private:
  base::unique_handle thread_;
};

}  // namespace app
