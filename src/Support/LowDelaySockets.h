#pragma once

#include <QtGlobal>

// Qt's HTTP client leaves Nagle's algorithm on and offers no way to turn it off. At the end of
// an upload the last partial segment then waits for the machine's delayed acknowledgement
// (40 ms on Linux, longer on small network stacks), which more than doubles the time of a
// loopback upload. This turns on TCP_NODELAY for this process's TCP connections to a port;
// setting it on some other connection is harmless.
namespace LowDelaySockets {

void enableForPeerPort(quint16 port);

} // namespace LowDelaySockets
