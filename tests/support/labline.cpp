#include "support/labline.h"

#include "support/portsfile.h"

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <csignal>
#endif

#include <QDir>
#include <QFile>

#include "serial/labline/localsocket.h"
#include "support/wait.h"

namespace testsupport {

LabLine::LabLine(const Options& options, int timeoutMs) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder: ") + dir_.errorString();
        return;
    }
    args_ = QStringList{QStringLiteral("--folder"), dir_.filePath(QStringLiteral("line"))};
    if (!options.capture.isEmpty()) args_ << QStringLiteral("--capture") << options.capture;
    if (options.noise > 0) args_ << QStringLiteral("--noise") << QString::number(options.noise);
    for (auto it = options.ptys.begin(); it != options.ptys.end(); ++it)
        args_ << QStringLiteral("--pty") << it.key() + '=' + dir_.filePath(it.value());
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // A test that crashes or is killed by its time-out takes its line with it.
    daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    start(timeoutMs);
}

bool LabLine::start(int timeoutMs) {
    ready_ = false;
    daemon_.start(QStringLiteral(SERLINQ_LAB_LINE), args_);
    if (!daemon_.waitForStarted(timeoutMs)) {
        error_ = QStringLiteral("the lab line did not start: ") + daemon_.errorString();
        return false;
    }
    QByteArray said;
    waitFor(
        [&] {
            said += daemon_.readAllStandardOutput();
            return said.contains("ready") || daemon_.state() == QProcess::NotRunning;
        },
        timeoutMs);
    ready_ = said.contains("ready") && daemon_.state() == QProcess::Running;
    if (!ready_) error_ = QStringLiteral("the lab line did not get ready");
    return ready_;
}

bool LabLine::restart(int timeoutMs) {
    if (!dir_.isValid() || args_.isEmpty()) return false;
    stop();
    return start(timeoutMs);
}

LabLine::~LabLine() {
    stop();
}

QString LabLine::end(const QString& name) const {
    return QStringLiteral("lab:%1/%2").arg(dir_.filePath(QStringLiteral("line")), name);
}

bool LabLine::ring(const QString& from) const {
    using namespace labline;
    const int fd = local::connectTo(dir_.filePath(QStringLiteral("line/socket")));
    if (fd < 0) return false;
    QByteArray answer;
    const bool rung = local::send(fd, wire::Message{wire::Type::Ring, 0, from.toUtf8()}) ==
                          local::SendResult::Sent &&
                      local::waitReadable(fd, 3000) &&
                      local::receive(fd, &answer) == local::ReceiveResult::Message &&
                      wire::decode(answer).value_or(wire::Message{}).type == wire::Type::Rung;
    local::closeFd(fd);
    return rung;
}

bool LabLine::writePortMap(const QMap<int, QString>& devices) const {
    QMap<int, QString> map;
    for (int port = 1; port <= 4; ++port) map[port] = QStringLiteral("lab:line/com%1").arg(port);
    return writePortsFile(folder(), map, devices);
}

void LabLine::stop() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) kill();
}

void LabLine::kill() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.kill();
    daemon_.waitForFinished(3000);
}

// ---- LabClient -------------------------------------------------------------------------------

namespace {
constexpr int kAnswerMs = 3000;
}

LabClient::LabClient(const LabLine& lab)
    : fd_(labline::local::connectTo(QDir(lab.folder()).filePath(QStringLiteral("line/socket")))) {}

LabClient::~LabClient() {
    close();
}

std::optional<LabClient::Message> LabClient::attach(const QString& end, const QString& settings) {
    const QByteArray text = end.toUtf8() + '\n' + settings.toUtf8();
    if (!trySend(Message{labline::wire::Type::Attach, 0, text})) return std::nullopt;
    return receive(kAnswerMs);
}

bool LabClient::trySend(const Message& m) {
    return fd_ >= 0 && labline::local::send(fd_, m) == labline::local::SendResult::Sent;
}

bool LabClient::tryWrite(const QByteArray& bytes) {
    return trySend(Message{labline::wire::Type::Write, 0, bytes});
}

std::optional<LabClient::Message> LabClient::receive(int timeoutMs) {
    if (!unread_.isEmpty()) return unread_.takeFirst();
    QByteArray datagram;
    if (fd_ < 0 || !labline::local::waitReadable(fd_, timeoutMs) ||
        labline::local::receive(fd_, &datagram) != labline::local::ReceiveResult::Message)
        return std::nullopt;
    std::optional<QList<Message>> messages = labline::wire::decodeAll(datagram);
    if (!messages || messages->isEmpty()) return std::nullopt;
    unread_ = std::move(*messages);
    return unread_.takeFirst();
}

void LabClient::close() {
    labline::local::closeFd(std::exchange(fd_, -1));
}

}  // namespace testsupport
