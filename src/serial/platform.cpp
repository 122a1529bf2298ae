#include "serial/platform.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <errno.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace platform {

#ifdef Q_OS_UNIX

namespace {

constexpr struct {
    Line line;
    int bit;
} kLineBits[] = {{Dtr, TIOCM_DTR}, {Rts, TIOCM_RTS}, {Cts, TIOCM_CTS},
                 {Dsr, TIOCM_DSR}, {Cd, TIOCM_CD},   {Ri, TIOCM_RI}};

int nativeBit(Line line) {
    for (const auto& l : kLineBits) {
        if (l.line == line) return l.bit;
    }
    return 0;
}

}  // namespace

bool supported() {
    return true;
}

DeviceInfo inspectDevice(const QString& path) {
    DeviceInfo info;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        info.check = errno == EACCES ? DeviceCheck::AccessDenied : DeviceCheck::Missing;
        return info;
    }
    if (!S_ISCHR(st.st_mode)) {
        info.check = DeviceCheck::NotADevice;
        return info;
    }
#ifdef Q_OS_LINUX
    // UNIX98 pseudo-terminal slaves.
    info.pseudoTerminal = major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
#endif
    // Told apart before opening: QSerialPort reports a refused permission and a device held by
    // someone else with the same error.
    const bool denied = ::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES;
    info.check = denied ? DeviceCheck::AccessDenied : DeviceCheck::Usable;
    return info;
}

qint64 writeNow(int fd, const QByteArray& bytes) {
    // QSerialPort reads errno after an empty read to tell why; a full line's EAGAIN left here
    // would make it take the port for lost.
    const int saved = errno;
    const ssize_t n = ::write(fd, bytes.constData(), size_t(bytes.size()));
    errno = saved;
    return n > 0 ? qint64(n) : 0;  // a full or stopped line (EAGAIN) takes nothing yet
}

int outputQueue(int fd) {
    int n = 0;
    return ::ioctl(fd, TIOCOUTQ, &n) == 0 ? n : 0;
}

std::optional<bool> transmitterEmpty(int fd) {
#ifdef TIOCSERGETLSR
    unsigned int lsr = 0;
    if (::ioctl(fd, TIOCSERGETLSR, &lsr) == 0) return (lsr & TIOCSER_TEMT) != 0;
#endif
    Q_UNUSED(fd);
    return std::nullopt;
}

std::optional<int> modemLines(int fd) {
    int bits = 0;
    if (::ioctl(fd, TIOCMGET, &bits) != 0) return std::nullopt;
    int lines = 0;
    for (const auto& l : kLineBits) {
        if (bits & l.bit) lines |= l.line;
    }
    return lines;
}

void setModemLine(int fd, Line line, bool on) {
    int bit = nativeBit(line);
    ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit);
}

std::optional<linemarks::ErrorCounters> errorCounters(int fd) {
#ifdef Q_OS_LINUX
    serial_icounter_struct ic{};
    if (::ioctl(fd, TIOCGICOUNT, &ic) != 0) return std::nullopt;
    linemarks::ErrorCounters c;
    c.frame = quint32(ic.frame);
    c.parity = quint32(ic.parity);
    c.overrun = quint32(ic.overrun);
    c.brk = quint32(ic.brk);
    c.bufOverrun = quint32(ic.buf_overrun);
    return c;
#else
    Q_UNUSED(fd);
    return std::nullopt;
#endif
}

bool setLineDiscipline(int fd, serial::Handshaking handshaking, bool pseudoTerminal) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    t.c_iflag &=
        ~tcflag_t(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    // A pseudo-terminal carries no line error: marking would only double every 0xFF byte.
    if (pseudoTerminal)
        t.c_iflag &= ~tcflag_t(INPCK | PARMRK);
    else
        t.c_iflag |= INPCK | PARMRK;
    t.c_cflag &= ~tcflag_t(CRTSCTS);
    if (serial::usesXonXoff(handshaking)) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = 0x11;
        t.c_cc[VSTOP] = 0x13;
    }
    if (serial::usesRtsCts(handshaking)) t.c_cflag |= CRTSCTS;
    if (::tcsetattr(fd, TCSANOW, &t) == 0) return true;
    if (!pseudoTerminal) return false;
    // A virtual cable has no CTS line to follow.
    t.c_cflag &= ~tcflag_t(CRTSCTS);
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

bool holdsFormat(int fd, int dataBits, char parity, bool twoStopBits) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    if (dataBits < 5 || dataBits > 8 || (t.c_cflag & CSIZE) != kSizes[dataBits - 5]) return false;
    const bool withParity = parity != 'N';
    if (bool(t.c_cflag & PARENB) != withParity) return false;
    if (withParity) {
        const bool odd = parity == 'O' || parity == 'M';
        if (bool(t.c_cflag & PARODD) != odd) return false;
#ifdef CMSPAR
        const bool stick = parity == 'S' || parity == 'M';
        if (bool(t.c_cflag & CMSPAR) != stick) return false;
#endif
    }
    return bool(t.c_cflag & CSTOPB) == twoStopBits;
}

void setBreak(int fd, bool on) {
    ::ioctl(fd, on ? TIOCSBRK : TIOCCBRK);  // a pseudo-terminal has no break: no effect
}

bool hungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

#else

bool supported() {
    return false;
}
DeviceInfo inspectDevice(const QString&) {
    return {DeviceCheck::Usable, false};
}
qint64 writeNow(int, const QByteArray&) {
    return 0;
}
int outputQueue(int) {
    return 0;
}
std::optional<bool> transmitterEmpty(int) {
    return std::nullopt;
}
std::optional<int> modemLines(int) {
    return std::nullopt;
}
void setModemLine(int, Line, bool) {}
std::optional<linemarks::ErrorCounters> errorCounters(int) {
    return std::nullopt;
}
bool setLineDiscipline(int, serial::Handshaking, bool) {
    return false;
}
bool holdsFormat(int, int, char, bool) {
    return true;
}
void setBreak(int, bool) {}
bool hungUp(int) {
    return false;
}

#endif

}  // namespace platform
