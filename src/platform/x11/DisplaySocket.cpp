#include "platform/x11/DisplaySocket.h"

#include <X11/Xauth.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>

namespace orvale::x11 {
namespace {

constexpr char kCookieName[] = "MIT-MAGIC-COOKIE-1";
// libXau's families for a host's address and for the local machine.
constexpr unsigned short kFamilyInternet = 0;
constexpr unsigned short kFamilyInternet6 = 6;
constexpr unsigned short kFamilyLocal = 256;

// Waits for a non-blocking connect to finish; the descriptor on success, -1
// on failure or at the deadline.
int finishConnect(int fd, int started, Instant deadline) {
    if (started == 0) return fd;
    if (errno != EINPROGRESS && errno != EAGAIN) {
        ::close(fd);
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd descriptor{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (left.count() <= 0 || ::poll(&descriptor, 1, static_cast<int>(left.count())) <= 0 ||
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int connectTo(const sockaddr* address, socklen_t length, Instant deadline) {
    const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    return finishConnect(fd, ::connect(fd, address, length), deadline);
}

int connectLocal(int display, Instant deadline) {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(display);
    // The abstract name first, as libxcb does; it needs no file system.
    for (const bool abstract : {true, false}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0;
        if (path.size() + offset >= sizeof address.sun_path) return -1;
        std::memcpy(address.sun_path + offset, path.data(), path.size());
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const int fd = connectTo(reinterpret_cast<const sockaddr*>(&address), length, deadline);
        if (fd >= 0) return fd;
    }
    return -1;
}

int connectTcp(const std::string& host, int display, Instant deadline) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(6000 + display).c_str(), &hints, &found) != 0) {
        return -1;
    }
    int fd = -1;
    for (const addrinfo* each = found; each && fd < 0; each = each->ai_next) {
        fd = connectTo(each->ai_addr, each->ai_addrlen, deadline);
    }
    ::freeaddrinfo(found);
    return fd;
}

// The authority file's entry for the connected socket, looked up as libxcb
// does: a local socket or a loopback address by this machine's name, any
// other peer by its address.
Xauth* authorityFor(int fd, int display) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    unsigned short family = kFamilyLocal;
    std::string address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        if (peer.ss_family == AF_INET) {
            const auto& in = reinterpret_cast<const sockaddr_in&>(peer);
            if ((ntohl(in.sin_addr.s_addr) >> 24) != 127) {
                family = kFamilyInternet;
                address.assign(reinterpret_cast<const char*>(&in.sin_addr), 4);
            }
        } else if (peer.ss_family == AF_INET6) {
            const auto& in6 = reinterpret_cast<const sockaddr_in6&>(peer);
            if (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr)) {
                if (in6.sin6_addr.s6_addr[12] != 127) {
                    family = kFamilyInternet;
                    address.assign(reinterpret_cast<const char*>(&in6.sin6_addr.s6_addr[12]), 4);
                }
            } else if (!IN6_IS_ADDR_LOOPBACK(&in6.sin6_addr)) {
                family = kFamilyInternet6;
                address.assign(reinterpret_cast<const char*>(&in6.sin6_addr), 16);
            }
        }
    }
    if (family == kFamilyLocal) {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0) return nullptr;
        address = name;
    }
    const std::string number = std::to_string(display);
    char* names[] = {const_cast<char*>(kCookieName)};
    int lengths[] = {static_cast<int>(sizeof kCookieName - 1)};
    return ::XauGetBestAuthByAddr(family, static_cast<unsigned short>(address.size()),
                                  address.data(), static_cast<unsigned short>(number.size()),
                                  number.data(), 1, names, lengths);
}

}  // namespace

SetUpConnection connectBounded(const char* displayName, Instant deadline) {
    SetUpConnection result;
    char* host = nullptr;
    int display = 0;
    if (!xcb_parse_display(displayName, &host, &display, &result.screenNumber)) return result;
    const std::string hostName = host;
    std::free(host);
    const int fd = hostName.empty() || hostName == "unix" ? connectLocal(display, deadline)
                                                          : connectTcp(hostName, display, deadline);
    if (fd < 0) return result;

    Xauth* entry = authorityFor(fd, display);
    xcb_auth_info_t authority{};
    if (entry) {
        authority = {entry->name_length, entry->name, entry->data_length, entry->data};
    }
    // libxcb owns the duplicate and closes it; this end only serves to shut
    // the socket down, and is never a descriptor that libxcb may have closed.
    const int handed = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    std::promise<xcb_connection_t*> setUp;
    std::future<xcb_connection_t*> done = setUp.get_future();
    std::thread worker;
    if (handed >= 0) {
        worker = std::thread(
            [&] { setUp.set_value(xcb_connect_to_fd(handed, entry ? &authority : nullptr)); });
    } else {
        setUp.set_value(nullptr);
    }
    const bool answered = done.wait_until(deadline) == std::future_status::ready;
    if (!answered) ::shutdown(fd, SHUT_RDWR);
    if (worker.joinable()) worker.join();
    ::close(fd);
    if (entry) ::XauDisposeAuth(entry);

    xcb_connection_t* connection = done.get();
    if (!connection) return result;
    if (!answered || xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        result.error = answered ? OpenError::cannotConnect : OpenError::notAnswering;
        return result;
    }
    result.connection = connection;
    return result;
}

}  // namespace orvale::x11
