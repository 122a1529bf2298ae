// What a program plugged into the lab's line may send it: any datagram that reads as a message
// is written back to the very same bytes, a batch that reads whole as well, and the settings of an
// Attach, when the line takes them, are a format the line can run and that reads back the same from
// its own text.

#include "check.h"
#include "serial/labline/encoder.h"
#include "serial/labline/protocol.h"

namespace wire = labline::wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray datagram = fuzz::bytes(data, size);
    const std::optional<wire::Message> m = wire::decode(datagram);
    FUZZ_CHECK(m.has_value() == (datagram.size() >= wire::kHeaderSize));
    if (!m) return 0;
    FUZZ_CHECK(wire::encode(*m) == datagram);
    FUZZ_CHECK(wire::decode(wire::encode(*m)) == m);
    if (const auto batch = wire::decodeAll(datagram); batch && m->type == wire::Type::Batch) {
        FUZZ_CHECK(wire::encodeBatch(*batch) == datagram);
    } else if (batch) {
        FUZZ_CHECK(batch->size() == 1 && batch->constFirst() == *m);
    } else {
        FUZZ_CHECK(m->type == wire::Type::Batch);
    }

    if (m->type != wire::Type::Attach) return 0;
    const QList<QByteArray> fields = m->data.split('\n');
    const auto format = labline::parseSettings(QString::fromUtf8(fields.value(1)));
    if (!format) return 0;
    FUZZ_CHECK(labline::isUartSpeed(format->speed));
    FUZZ_CHECK(format->dataBits >= 4 && format->dataBits <= 8);
    FUZZ_CHECK(format->stopHalfBits >= 2 && format->stopHalfBits <= 4);
    FUZZ_CHECK(labline::frameNanos(*format) > 0);
    FUZZ_CHECK(labline::parseSettings(labline::settingsText(*format)) == format);
    return 0;
}
