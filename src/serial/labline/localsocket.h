#pragma once
// The lab's local sockets: sequenced packets over AF_UNIX, so that each message stays one
// datagram. Descriptors are non-blocking and close on exec; sending never raises SIGPIPE.

#include <QByteArray>
#include <QString>
#include <optional>

#include "serial/labline/protocol.h"

namespace labline::local {

// A listening socket at `path` (an older socket file there is replaced); -1 with `error` set.
int listenAt(const QString& path, QString* error);
// A connection to the socket at `path`, or -1 (errno tells why).
int connectTo(const QString& path);
// The next connection waiting on a listening socket, or -1.
int acceptFrom(int listener);
// True when the process at the other end runs as this process's user.
bool peerIsSameUser(int fd);

enum class SendResult { Sent, WouldBlock, Broken };
SendResult send(int fd, const QByteArray& datagram);
SendResult send(int fd, const wire::Message& message);
// Waits (at most `timeoutMs`) until the socket can take a datagram again.
bool waitWritable(int fd, int timeoutMs);

enum class ReceiveResult { Message, TooLong, Nothing, Closed };
// One datagram if one waits; Closed at the end of the stream or on an error. A datagram longer
// than the largest message is TooLong: `datagram` then holds its start, the rest is gone.
ReceiveResult receive(int fd, QByteArray* datagram);
// Waits (at most `timeoutMs`) for a datagram.
bool waitReadable(int fd, int timeoutMs);

// True once the other end has closed the connection, even with datagrams still unread.
bool peerGone(int fd);

void closeFd(int fd);

}  // namespace labline::local
