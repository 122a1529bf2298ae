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

namespace {
constexpr int kLengthSize = 2;
}

qsizetype batchedSize(const Message& message) {
    return kLengthSize + kHeaderSize + message.data.size();
}

QByteArray encodeBatch(const QList<Message>& messages) {
    QByteArray data;
    for (const Message& m : messages) {
        const QByteArray one = encode(m);
        data.append(char(one.size() & 0xFF));
        data.append(char(one.size() >> 8));
        data.append(one);
    }
    return encode(Message{Type::Batch, qint64(messages.size()), data});
}

std::optional<QList<Message>> decodeAll(const QByteArray& datagram) {
    const std::optional<Message> outer = decode(datagram);
    if (!outer) return std::nullopt;
    if (outer->type != Type::Batch) return QList<Message>{*outer};
    QList<Message> messages;
    const QByteArray& data = outer->data;
    for (qsizetype at = 0; at < data.size();) {
        if (data.size() - at < kLengthSize) return std::nullopt;
        const qsizetype length = quint8(data.at(at)) | qsizetype(quint8(data.at(at + 1))) << 8;
        at += kLengthSize;
        if (length > data.size() - at) return std::nullopt;
        const std::optional<Message> m = decode(data.mid(at, length));
        if (!m || m->type == Type::Batch) return std::nullopt;
        messages.append(*m);
        at += length;
    }
    if (messages.size() != outer->value) return std::nullopt;
    return messages;
}

}  // namespace labline::wire
