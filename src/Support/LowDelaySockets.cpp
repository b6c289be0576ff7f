#include "Support/LowDelaySockets.h"

#ifdef __linux__
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <climits>
#include <cstdlib>
#endif

namespace LowDelaySockets {

#ifdef __linux__

namespace {

bool isTcpConnectionToPort(int fd, quint16 port) {
    int type = 0;
    socklen_t typeSize = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeSize) != 0 || type != SOCK_STREAM)
        return false;
    sockaddr_storage peer{};
    socklen_t peerSize = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
        return false;
    if (peer.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&peer)->sin_port) == port;
    if (peer.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_port) == port;
    return false;
}

} // namespace

void enableForPeerPort(quint16 port) {
    DIR* descriptors = opendir("/proc/self/fd");
    if (!descriptors)
        return;
    const int own = dirfd(descriptors);
    while (const dirent* entry = readdir(descriptors)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own || fd < 0 || fd > INT_MAX)
            continue;
        const int socket = static_cast<int>(fd);
        if (!isTcpConnectionToPort(socket, port))
            continue;
        const int on = 1;
        // Linux also sends whatever Nagle was holding back at this moment.
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    closedir(descriptors);
}

#else

void enableForPeerPort(quint16) {}

#endif

} // namespace LowDelaySockets
