#pragma once

namespace platform::os {

// Turns the requests to end the process (SIGTERM, SIGINT, SIGHUP here; the
// console close and end-session messages on Windows) into a readable event:
// installs the handlers once and returns a descriptor that becomes readable
// when such a request arrives (one byte per request). Returns -1 on failure.
// An event loop watches the descriptor and shuts the program down in order.
int terminationRequestDescriptor();

// Reads away the pending request bytes of the descriptor.
void drainTerminationRequests();

}  // namespace platform::os
