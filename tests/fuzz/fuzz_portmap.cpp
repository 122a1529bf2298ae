// ports.232 as a teacher may leave it: every port the text names leads to a device or is
// missing with a reason, never both; a device survives being written back as its own line; and
// a text that is only the start of a file leaves no port to its default device.

#include "check.h"
#include "serial/portmap.h"

namespace {

bool isBlank(QChar c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void checkEntries(const QMap<int, portmap::Entry>& map) {
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        FUZZ_CHECK(it.key() >= 1 && it.key() <= 4);
        FUZZ_CHECK(it->device.isEmpty() != it->problem.isEmpty());
        const QString& d = it->device;
        if (d.isEmpty()) continue;
        FUZZ_CHECK(!d.contains(QChar(0)) && !d.contains('\n'));
        FUZZ_CHECK(!isBlank(d.front()) && !isBlank(d.back()));
    }
}

bool same(const QMap<int, portmap::Entry>& a, const QMap<int, portmap::Entry>& b) {
    if (a.keys() != b.keys()) return false;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (b[it.key()].device != it->device || b[it.key()].problem != it->problem) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text = fuzz::bytes(data, qMin<size_t>(size, portmap::kMaxFileBytes));
    const QMap<int, portmap::Entry> map = portmap::parse(text);
    checkEntries(map);
    // A last line ended or not reads the same.
    FUZZ_CHECK(same(portmap::parse(text + '\n'), map));

    QByteArray rewritten;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (!it->device.isEmpty())
            rewritten += "Com" + QByteArray::number(it.key()) + '=' + it->device.toUtf8() + '\n';
    }
    const QMap<int, portmap::Entry> again = portmap::parse(rewritten);
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it->device.isEmpty()) continue;
        FUZZ_CHECK(again.contains(it.key()));
        FUZZ_CHECK(again[it.key()].device == it->device);
    }

    const QMap<int, portmap::Entry> cut = portmap::parse(text, true);
    checkEntries(cut);
    FUZZ_CHECK(cut.size() == 4);
    return 0;
}
