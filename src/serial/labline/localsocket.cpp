#include "serial/labline/localsocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace labline::local {

namespace {

// A datagram can be at most this long: the largest message plus its header.
constexpr int kMaxDatagram = wire::kHeaderSize + wire::kMaxData;
// Connections waiting to be taken by the listener; past them a connection is tried again.
constexpr int kBacklog = 64;
constexpr int kConnectWaitMs = 1000;
constexpr int kConnectRetryMs = 2;

bool fillAddress(const QString& path, sockaddr_un* address) {
    const QByteArray native = QFile::encodeName(path);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (native.size() >= int(sizeof address->sun_path)) return false;
    std::memcpy(address->sun_path, native.constData(), size_t(native.size()));
    return true;
}

int newSocket() {
    return ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    return r > 0;
}

}  // namespace

int listenAt(const QString& path, QString* error) {
    sockaddr_un address;
    if (!fillAddress(path, &address)) {
        *error = QStringLiteral("%1: path too long for a socket").arg(path);
        return -1;
    }
    const int fd = newSocket();
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, kBacklog) != 0) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return -1;
    }
    return fd;
}

int connectTo(const QString& path) {
    sockaddr_un address;
    if (!fillAddress(path, &address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = newSocket();
    if (fd < 0) return -1;
    // A local connection completes at once or fails at once. A full backlog (EAGAIN) leaves the
    // socket unconnected: the attempt is made again until the listener has taken some.
    QDeadlineTimer deadline(kConnectWaitMs);
    int r;
    while ((r = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address)) != 0 &&
           errno == EAGAIN && !deadline.hasExpired()) {
        ::poll(nullptr, 0, kConnectRetryMs);
    }
    if (r != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

int acceptFrom(int listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

bool peerIsSameUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == ::getuid();
}

SendResult send(int fd, const QByteArray& datagram) {
    ssize_t n;
    do {
        n = ::send(fd, datagram.constData(), size_t(datagram.size()), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n >= 0) return SendResult::Sent;
    return errno == EAGAIN || errno == EWOULDBLOCK ? SendResult::WouldBlock : SendResult::Broken;
}

SendResult send(int fd, const wire::Message& message) {
    return send(fd, wire::encode(message));
}

bool waitWritable(int fd, int timeoutMs) {
    return waitFor(fd, POLLOUT, timeoutMs);
}

ReceiveResult receive(int fd, QByteArray* datagram) {
    datagram->resize(kMaxDatagram);
    iovec part{datagram->data(), size_t(kMaxDatagram)};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    ssize_t n;
    do {
        n = ::recvmsg(fd, &header, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return ReceiveResult::Nothing;
    if (n <= 0) return ReceiveResult::Closed;
    datagram->resize(n);
    return (header.msg_flags & MSG_TRUNC) ? ReceiveResult::TooLong : ReceiveResult::Message;
}

bool waitReadable(int fd, int timeoutMs) {
    return waitFor(fd, POLLIN, timeoutMs);
}

bool peerGone(int fd) {
    pollfd p{fd, 0, 0};  // hang-ups and errors are reported whatever is asked for
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

void closeFd(int fd) {
    if (fd >= 0) ::close(fd);
}

}  // namespace labline::local
