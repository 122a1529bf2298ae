#pragma once
// Characters and formats for the tests that put a frame on a wire and read it back: a code, a
// speed, data bits, parity and stop bits per row, each row a boundary of its own (the slowest
// and fastest speeds, 4 to 8 data bits, every parity, two stop bits, codes 0, 127 and 255).
#include <QtTest>
#include <iterator>

namespace testsupport {

// The columns code, baud, dataBits, parity and stopBits, and the first `count` rows.
inline void addFrameRows(int count) {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<int>("stopBits");
    struct Row {
        const char* name;
        int code, baud, dataBits;
        const char* parity;
        int stopBits;
    };
    static constexpr Row kRows[] = {
        {"A at 9600 7E1", 65, 9600, 7, "E", 1},      {"0 at 110 8N2", 0, 110, 8, "N", 2},
        {"127 at 28800 7O1", 127, 28800, 7, "O", 1}, {"255 at 14400 8M1", 255, 14400, 8, "M", 1},
        {"31 at 300 5S2", 31, 300, 5, "S", 2},       {"1 at 1200 4N1", 1, 1200, 4, "N", 1},
    };
    for (int i = 0; i < count && i < int(std::size(kRows)); ++i) {
        const Row& r = kRows[i];
        QTest::newRow(r.name) << r.code << r.baud << r.dataBits << QString::fromLatin1(r.parity)
                              << r.stopBits;
    }
}

}  // namespace testsupport
