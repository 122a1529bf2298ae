#include "ptylink.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

// The emulator keeps the slave end open itself. Without it the master reports a hang-up, over
// and over, whenever no program holds the slave (before the first opening, between two), and
// its notifier would spin; with it the pair simply waits for a reader.

namespace velmo {

namespace {

constexpr int kReadChunk = 256;

}  // namespace

PtyLink::PtyLink(const QString& linkPath, QObject* parent)
    : ByteLink(parent), linkPath_(linkPath) {}

PtyLink::~PtyLink() {
    notifier_.reset();
    if (linked_ && QFileInfo(linkPath_).symLinkTarget() == slave_) QFile::remove(linkPath_);
    if (heldSlave_ >= 0) ::close(heldSlave_);
    if (master_ >= 0) ::close(master_);
}

QString PtyLink::fail(const QString& what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(::strerror(errno)));
}

QString PtyLink::open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail(QStringLiteral("posix_openpt"));
    if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
        return fail(QStringLiteral("fcntl"));
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    const char* name = ::ptsname(master_);
    if (!name) return fail(QStringLiteral("ptsname"));
    slave_ = QString::fromLocal8Bit(name);
    heldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (heldSlave_ < 0) return fail(slave_);
    termios t{};
    if (::tcgetattr(heldSlave_, &t) != 0) return fail(slave_);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    if (::tcsetattr(heldSlave_, TCSANOW, &t) != 0) return fail(slave_);
    if (!linkPath_.isEmpty()) {
        const QString error = makeLink();
        if (!error.isEmpty()) return error;
    }
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyLink::readMaster);
    return QString();
}

// A link left by an emulator that was killed outright is replaced; any other file is kept.
QString PtyLink::makeLink() {
    const QFileInfo existing(linkPath_);
    if (existing.isSymLink()) {
        QFile::remove(linkPath_);
    } else if (existing.exists()) {
        return QStringLiteral("%1: exists and is not a symbolic link").arg(linkPath_);
    }
    if (!QFile::link(slave_, linkPath_))
        return QStringLiteral("%1: cannot make the link").arg(linkPath_);
    linked_ = true;
    return QString();
}

void PtyLink::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // the slave's queue is full: nobody reads, and the rest is lost
        }
    }
}

void PtyLink::readMaster() {
    QByteArray bytes;
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    if (!bytes.isEmpty()) emit received(bytes);
}

}  // namespace velmo
