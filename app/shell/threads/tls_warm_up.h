// The first TLS connection of a process pays for setting up the platform's
// TLS provider and its store of trusted roots, on the version query's path
// to the first paint. None of that needs the network or shows anywhere, so
// it can be done beside the start-up's first steps.
#pragma once

namespace app {

// Sets the TLS provider and the root store up on a thread of its own, which
// ends when that is done; nothing waits for it.
void StartTlsWarmUp();

}  // namespace app
