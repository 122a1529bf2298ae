#include "serial/labline/protocol.h"

namespace labline::wire {

QByteArray encode(const Message& message) {
    QByteArray out;
    out.reserve(kHeaderSize + message.data.size());
    out.append(char(message.type));
    const quint64 value = quint64(message.value);
    for (int i = 0; i < 8; ++i) out.append(char((value >> (8 * i)) & 0xFF));
    out.append(message.data);
    return out;
}

std::optional<Message> decode(const QByteArray& datagram) {
    if (datagram.size() < kHeaderSize) return std::nullopt;
    Message m;
    m.type = Type(quint8(datagram.at(0)));
    quint64 value = 0;
    for (int i = 0; i < 8; ++i) value |= quint64(quint8(datagram.at(1 + i))) << (8 * i);
    m.value = qint64(value);
    m.data = datagram.mid(kHeaderSize);
    return m;
}

}  // namespace labline::wire
