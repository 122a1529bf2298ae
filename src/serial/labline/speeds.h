#pragma once
// The speeds the lab's line offers: those a PC's UART makes by dividing its clock down to the
// standard rates, from 110 to 115 200 bauds. 56 000, 128 000 or 256 000 bauds, which some
// drivers name, are not among them.

#include <QtGlobal>

namespace labline {

inline constexpr qint32 kUartSpeeds[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                         14400, 19200, 28800, 38400, 57600, 115200};

}  // namespace labline
