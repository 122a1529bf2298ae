#pragma once
// The calls the serial control makes on a device descriptor, where QSerialPort offers nothing:
// the driver's queue, its error counters, modem lines one by one, the line discipline (in-band
// error marks and handshaking as Windows drivers do it), and what a device path leads to. On
// systems without these calls each function answers "unsupported" (an empty result, false) and
// the control falls back on QSerialPort.

#include <QString>
#include <optional>

#include "core/serialtypes.h"
#include "serial/linemarks.h"

namespace platform {

// True where the calls below do something.
bool supported();

// Modem lines, as a bit set.
enum Line : int { Dtr = 1, Rts = 2, Cts = 4, Dsr = 8, Cd = 16, Ri = 32 };

// What a device path leads to, checked before opening so that each failure gets its own error.
enum class DeviceCheck { Usable, Missing, NotADevice, AccessDenied };
struct DeviceInfo {
    DeviceCheck check = DeviceCheck::Missing;
    bool pseudoTerminal = false;  // a virtual cable's end: 8 data bits, no parity, no modem lines
};
DeviceInfo inspectDevice(const QString& path);

// Writes what the driver takes at once, without waiting; returns how many bytes it took.
qint64 writeNow(int fd, const QByteArray& bytes);
// Bytes the driver still holds for the line.
int outputQueue(int fd);
// True when the transmitter has sent its last bit; empty when the driver cannot tell.
std::optional<bool> transmitterEmpty(int fd);
// The modem lines (Line bits), or nothing on a device without them.
std::optional<int> modemLines(int fd);
void setModemLine(int fd, Line line, bool on);
// The driver's cumulative error counters, where it keeps them.
std::optional<linemarks::ErrorCounters> errorCounters(int fd);
// In-band error marks on (off on a pseudo-terminal, which carries no line error), and the
// handshaking: Xon/Xoff where only Xon resumes, RTS/CTS, or
// both. A device without a CTS line (`pseudoTerminal`) gets the rest without RTS/CTS. False
// when the device refuses.
bool setLineDiscipline(int fd, serial::Handshaking handshaking, bool pseudoTerminal);
// True when the device holds these data bits, parity letter and number of stop bits.
bool holdsFormat(int fd, int dataBits, char parity, bool twoStopBits);
// Holds the transmit line at space, or releases it.
void setBreak(int fd, bool on);
// True when the device has hung up (unplugged, its far side gone), as the descriptor says now,
// without waiting; false where that cannot be told.
bool hungUp(int fd);

}  // namespace platform
