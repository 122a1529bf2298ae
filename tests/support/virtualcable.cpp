#include "support/virtualcable.h"

#include "support/portsfile.h"

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <csignal>
#endif

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace testsupport {

namespace {

QString ptyAddress(const QString& link) {
    return QStringLiteral("PTY,link=%1,raw,echo=0").arg(link);
}

}  // namespace

VirtualCable::VirtualCable(Kind kind, int timeoutMs) : kind_(kind) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder: ") + dir_.errorString();
        return;
    }
    socat_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // A test that crashes or is killed by its time-out takes its cable with it.
    socat_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    start(timeoutMs);
}

bool VirtualCable::start(int timeoutMs) {
    ready_ = false;
    QStringList args{ptyAddress(endA())};
    args << (kind_ == NullModem ? ptyAddress(endB()) : QStringLiteral("PIPE"));
    socat_.start(QStringLiteral("socat"), args);
    if (!socat_.waitForStarted(timeoutMs)) {
        error_ = QStringLiteral("socat did not start: ") + socat_.errorString();
        return false;
    }

    const QStringList ends = kind_ == NullModem ? QStringList{endA(), endB()} : QStringList{endA()};
    auto allThere = [&] {
        for (const QString& end : ends) {
            if (!QFileInfo::exists(end)) return false;
        }
        return true;
    };
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (allThere() || socat_.state() == QProcess::NotRunning) loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    tick.start(10);
    if (!allThere()) loop.exec();

    ready_ = socat_.state() == QProcess::Running && allThere();
    if (!ready_) {
        error_ = socat_.state() == QProcess::NotRunning
                     ? QStringLiteral("socat did not start: ") + socat_.errorString()
                     : QStringLiteral("socat made no pseudo-terminal in time");
    }
    return ready_;
}

bool VirtualCable::plugIn(int timeoutMs) {
    if (!dir_.isValid()) return false;
    unplug();
    return start(timeoutMs);
}

VirtualCable::~VirtualCable() {
    unplug();
}

QString VirtualCable::endA() const {
    return dir_.filePath(QStringLiteral("endA"));
}

QString VirtualCable::endB() const {
    return kind_ == NullModem ? dir_.filePath(QStringLiteral("endB")) : endA();
}

QString VirtualCable::deviceOf(const QString& end) const {
    return QFileInfo(end).canonicalFilePath();
}

QString VirtualCable::absentDevice() const {
    return dir_.filePath(QStringLiteral("absent"));
}

bool VirtualCable::writePortMap(const QMap<int, QString>& devices) const {
    return writePortsFile(
        folder(), {{1, endA()}, {2, endB()}, {3, absentDevice()}, {4, absentDevice()}}, devices);
}

void VirtualCable::unplug() {
    if (socat_.state() == QProcess::NotRunning) return;
    socat_.terminate();  // socat removes its links on SIGTERM
    if (!socat_.waitForFinished(3000)) {
        socat_.kill();
        socat_.waitForFinished(3000);
    }
}

}  // namespace testsupport
