#include "ptyend.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>

#include "ptyspeeds.h"

namespace lablined {

namespace {

constexpr int kDefaultSpeed = 9600;

int bitsPerSecond(speed_t code) {
    for (const TermiosSpeed& s : kTermiosSpeeds) {
        if (s.code == code) return s.bitsPerSecond;
    }
    return kDefaultSpeed;
}

}  // namespace

labline::Format termiosFormat(int fd) {
    labline::Format f;
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return f;
    f.speed = bitsPerSecond(::cfgetospeed(&t));
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    for (int bits = 5; bits <= 8; ++bits) {
        if ((t.c_cflag & CSIZE) == kSizes[bits - 5]) f.dataBits = bits;
    }
    if (t.c_cflag & PARENB) {
        const bool odd = t.c_cflag & PARODD;
        f.parity = odd ? labline::Parity::Odd : labline::Parity::Even;
        if (t.c_cflag & CMSPAR) f.parity = odd ? labline::Parity::Mark : labline::Parity::Space;
    }
    // The driver's "two stop bits" are one and a half with 5 data bits.
    if (t.c_cflag & CSTOPB) f.stopHalfBits = f.dataBits == 5 ? 3 : 4;
    return f;
}

PtyEnd::PtyEnd(const QString& end, const QString& link) : end_(end), link_(link) {}

PtyEnd::~PtyEnd() {
    notifier_.reset();
    if (master_ >= 0) QFile::remove(link_);
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PtyEnd::start(QString* error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const char* name = master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0
                           ? ::ptsname(master_)
                           : nullptr;
    if (name) slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (slave_ < 0 || ::tcgetattr(slave_, &t) != 0) {
        *error = QStringLiteral("%1: no pseudo-terminal").arg(end_);
        return false;
    }
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    ::tcsetattr(slave_, TCSANOW, &t);
    format_ = termiosFormat(slave_);
    // A link left by an earlier run is replaced; anything else there is someone's file.
    const QFileInfo there(link_);
    if (there.exists() && !there.isSymLink()) {
        *error = QStringLiteral("%1 : existe déjà et n'est pas un lien").arg(link_);
        return false;
    }
    QFile::remove(link_);
    if (!QFile::link(QString::fromLocal8Bit(name), link_)) {
        *error = QStringLiteral("%1: cannot make the link").arg(link_);
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readProgram(); });
    return true;
}

void PtyEnd::readProgram() {
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    const labline::Format now = termiosFormat(slave_);
    if (!(now == format_)) {
        format_ = now;
        emit settingsChanged(format_);
    }
    emit written(QByteArray(buffer, int(n)));
}

void PtyEnd::deliver(const QByteArray& bytes) {
    // A program that does not read loses what the terminal cannot hold, as a real port would.
    [[maybe_unused]] const ssize_t n = ::write(master_, bytes.constData(), size_t(bytes.size()));
}

void PtyEnd::setReading(bool on) {
    if (notifier_) notifier_->setEnabled(on);
}

}  // namespace lablined
