#include "labdaemon.h"

#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QVarLengthArray>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "ptyend.h"
#include "serial/labline/localsocket.h"
#include "serial/mscomm.h"

using namespace labline;
namespace local = labline::local;
using wire::Message;
using wire::Type;

namespace lablined {

namespace {

// What an end's transmit queue takes from its client, as a driver's buffer does: twice the serial
// control's own queue, so that the control is never held back by it. A client that fills it is no
// longer read, and its socket then holds its writes back as a full driver holds back a program.
constexpr int kEndQueueBytes = 2 * MSComm::kOutputQueueLimit;
// Messages taken from one client before the other clients and the line's timer get their turn.
constexpr int kMessagesPerTurn = 16;
// What is kept for a client that does not read, beyond what its socket holds; past it received
// characters are dropped and the client told of an overrun, as a UART's receiver would.
constexpr qsizetype kOutboxBytes = 16 * 1024;
// How often a client held back is looked at, since its leaving cannot be read from its socket.
constexpr int kHeldCheckMs = 50;
// Connections not attached to an end: a program opening a port attaches at once, a ring is one
// message. Past this many the oldest goes, so that a program holding connections open costs the
// line a bounded number of descriptors and every other end its usual latency.
constexpr int kUnattachedLimit = 16;
// How long a connection may stay without attaching.
constexpr int kUnattachedTimeoutMs = 3000;
// Monitors at once (each an oscilloscope window), the changes one may have waiting, and how often
// the line is run for them when nothing else wakes it: a screen's rate.
constexpr int kMonitorLimit = 4;
constexpr qsizetype kMonitorBacklog = 64 * 1024;
constexpr int kMonitorTickMs = 30;
// Connections taken from the listening socket before the clients and the timer get their turn.
constexpr int kAcceptsPerTurn = 64;

constexpr char kSocketName[] = "socket";
constexpr char kPending[] = ".new";  // the socket's name until it listens
constexpr char kPtyFolder[] = "/dev/pts/";

bool joinsReceived(const QByteArray& datagram) {
    return quint8(datagram.at(0)) == quint8(Type::Received) &&
           datagram.size() < wire::kHeaderSize + wire::kMaxData;
}

// The lab's wiring: a loopback plug, a null-modem cable, a straight cable to the emulator's end.
void wireLab(Line& line) {
    line.plugLoopback(QStringLiteral("com1"));
    line.cableNullModem(QStringLiteral("com2"), QStringLiteral("com3"));
    line.cableStraight(QStringLiteral("com4"), QStringLiteral("com4-peer"));
}

qint64 monotonicNanos() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

qint64 inputBits(const InputLines& in) {
    return (in.cts ? wire::kCts : 0) | (in.dsr ? wire::kDsr : 0) | (in.dcd ? wire::kDcd : 0) |
           (in.ri ? wire::kRi : 0);
}

// What the line itself leaves in its folder: its socket, under its name or the one it has until
// it listens (a line that was killed leaves them), the links to its pseudo-terminals, and the
// capture this run is asked to write there.
bool ownedByLine(const QFileInfo& entry, const Options& options) {
    struct stat st {};
    if (::lstat(QFile::encodeName(entry.absoluteFilePath()).constData(), &st) != 0) return false;
    const QString name = entry.fileName();
    if (S_ISSOCK(st.st_mode))
        return name == QLatin1String(kSocketName) ||
               name == QString::fromLatin1(kSocketName) + QLatin1String(kPending);
    if (S_ISLNK(st.st_mode)) return entry.symLinkTarget().startsWith(QLatin1String(kPtyFolder));
    return S_ISREG(st.st_mode) && !options.capture.isEmpty() &&
           entry.absoluteFilePath() == QFileInfo(options.capture).absoluteFilePath();
}

// A folder given that exists is taken only when it is the line's: the user's own, holding nothing
// else, and with no line running in it. Nothing in it is touched before that is known.
bool checkExistingFolder(const QString& folder, const Options& options, QString* error) {
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("%1 : ce n'est pas un dossier").arg(folder);
        return false;
    }
    if (st.st_uid != ::getuid()) {
        *error = QStringLiteral("%1 : le dossier appartient à un autre utilisateur").arg(folder);
        return false;
    }
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (ownedByLine(entry, options)) continue;
        *error = QStringLiteral(
                     "%1 : le dossier contient « %2 », qui n'est pas un fichier de la ligne ; "
                     "donnez un dossier vide ou qui n'existe pas encore")
                     .arg(folder, entry.fileName());
        return false;
    }
    if (const int fd = local::connectTo(dir.filePath(QLatin1String(kSocketName))); fd >= 0) {
        local::closeFd(fd);
        *error = QStringLiteral("%1 : une ligne tourne déjà dans ce dossier").arg(folder);
        return false;
    }
    return true;
}

bool makePrivateFolder(const QString& folder, const Options& options, QString* error) {
    const QFileInfo info(folder);
    if ((info.exists() || info.isSymLink()) && !checkExistingFolder(folder, options, error))
        return false;
    const QByteArray path = QFile::encodeName(folder);
    if (!QDir().mkpath(folder) || ::chmod(path.constData(), S_IRWXU) != 0) {
        *error = QStringLiteral("%1 : le dossier de la ligne ne peut pas être créé").arg(folder);
        return false;
    }
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || st.st_uid != ::getuid()) {
        *error = QStringLiteral("%1 : le dossier appartient à un autre utilisateur").arg(folder);
        return false;
    }
    return true;
}

}  // namespace

LabDaemon::LabDaemon() {
    wireLab(line_);
    heldCheck_.setInterval(kHeldCheckMs);
    connect(&heldCheck_, &QTimer::timeout, this, [this] { checkHeld(); });
    unattachedCheck_.setInterval(kUnattachedTimeoutMs / 4);
    connect(&unattachedCheck_, &QTimer::timeout, this, [this] { expireUnattached(); });
    monitorTick_.setInterval(kMonitorTickMs);
    connect(&monitorTick_, &QTimer::timeout, this, [this] {
        const Nanos at = now();
        dispatch(line_.advance(at), {});
        armTimer();
        feedMonitors(at, true);
    });
    line_.setProbe([this](Nanos at, const QString& end, Signal signal, bool high) {
        probe(at, end, signal, high);
    });
}

LabDaemon::~LabDaemon() {
    stop();
}

QString LabDaemon::socketPath(const QString& folder) {
    return QDir(folder).filePath(QLatin1String(kSocketName));
}

bool LabDaemon::start(const Options& options, QString* error) {
    folder_ = options.folder;
    if (!makePrivateFolder(folder_, options, error)) return false;
    if (options.noisePerMillion > 0) line_.setNoise(options.noisePerMillion, quint64(::getpid()));
    if (!options.capture.isEmpty() && !startCapture(options.capture, error)) return false;
    origin_ = monotonicNanos();
    timer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    // The socket appears under its name only once it listens, so that a client finding it can
    // connect.
    const QString pending = socketPath(folder_) + QLatin1String(kPending);
    listener_ = local::listenAt(pending, error);
    if (timer_ < 0 || listener_ < 0) return false;
    if (::rename(QFile::encodeName(pending).constData(),
                 QFile::encodeName(socketPath(folder_)).constData()) != 0) {
        *error = QStringLiteral("%1: cannot name the socket").arg(socketPath(folder_));
        return false;
    }
    timerNotifier_ = std::make_unique<QSocketNotifier>(timer_, QSocketNotifier::Read);
    // Setting the timer again, as every run does, clears its expiry: it needs no read.
    connect(timerNotifier_.get(), &QSocketNotifier::activated, this, [this] { run(); });
    listenNotifier_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    connect(listenNotifier_.get(), &QSocketNotifier::activated, this, [this] { acceptClients(); });
    return startPtys(options.ptys, error);
}

bool LabDaemon::startCapture(const QString& path, QString* error) {
    captureFile_.setFileName(path);
    if (!captureFile_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("%1: %2").arg(path, captureFile_.errorString());
        return false;
    }
    vcd_ = std::make_unique<VcdWriter>(&captureFile_, line_.ends());
    return true;
}

bool LabDaemon::startPtys(const QMap<QString, QString>& ptys, QString* error) {
    for (auto it = ptys.begin(); it != ptys.end(); ++it) {
        if (!line_.ends().contains(it.key())) {
            *error = QStringLiteral("%1: no such end on the lab's line").arg(it.key());
            return false;
        }
        auto pty = std::make_unique<PtyEnd>(it.key(), it.value());
        if (!pty->start(error)) return false;
        PtyEnd* raw = pty.get();
        connect(raw, &PtyEnd::settingsChanged, this, [this, raw](const Format& f) {
            line_.setFormat(now(), raw->end(), f);
            run();
        });
        connect(raw, &PtyEnd::written, this, [this, raw](const QByteArray& bytes) {
            line_.write(now(), raw->end(), bytes);
            run();
        });
        line_.open(now(), raw->end(), raw->format(), Handshake::None, true, true);
        ptys_.push_back(std::move(pty));
    }
    run();
    return true;
}

void LabDaemon::stop() {
    for (auto& c : clients_) local::closeFd(c->fd);
    clients_.clear();
    ptys_.clear();
    heldCheck_.stop();
    unattachedCheck_.stop();
    listenNotifier_.reset();
    timerNotifier_.reset();
    if (listener_ >= 0) {
        local::closeFd(listener_);
        QFile::remove(socketPath(folder_));
        listener_ = -1;
    }
    local::closeFd(timer_);
    timer_ = -1;
    if (captureFile_.isOpen()) {
        line_.advance(now());
        captureFile_.close();
    }
}

// ---- Clients ---------------------------------------------------------------------------------

void LabDaemon::acceptClients() {
    for (int n = 0; n < kAcceptsPerTurn; ++n) {
        const int fd = local::acceptFrom(listener_);
        if (fd < 0) break;
        if (!local::peerIsSameUser(fd)) {
            local::closeFd(fd);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->acceptedAt = monotonicNanos();
        Client* raw = client.get();
        client->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(raw->readable.get(), &QSocketNotifier::activated, this,
                [this, raw] { readClient(raw); });
        client->writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        client->writable->setEnabled(false);
        connect(raw->writable.get(), &QSocketNotifier::activated, this,
                [this, raw] { flushOutbox(raw); });
        clients_.push_back(std::move(client));
        // At each connection, not once a turn: the line's descriptors stay within the bound at
        // every moment of a flood.
        limitUnattached();
    }
}

namespace {

constexpr auto unattached = [](const auto& c) {
    return c->fd >= 0 && c->end.isEmpty() && !c->watch;
};
constexpr qint64 kNanosPerMs = 1'000'000;

}  // namespace

// Clients are kept in the order they came: the first unattached ones are the oldest. Each is
// read once more before it goes, so that a program whose Attach is waiting is served however
// many connections came after it.
void LabDaemon::limitUnattached() {
    qsizetype excess =
        std::count_if(clients_.begin(), clients_.end(), unattached) - kUnattachedLimit;
    bool closed = false;
    for (qsizetype i = 0; i < qsizetype(clients_.size()) && excess > 0; ++i) {
        Client* c = clients_[i].get();
        if (!unattached(clients_[i])) continue;
        readClient(c);
        if (!unattached(clients_[i])) {
            --excess;
            continue;
        }
        c->readable->setEnabled(false);
        local::closeFd(std::exchange(c->fd, -1));
        --excess;
        closed = true;
    }
    if (closed) {
        QMetaObject::invokeMethod(
            this, [this] { std::erase_if(clients_, [](const auto& c) { return c->fd < 0; }); },
            Qt::QueuedConnection);
    }
    if (!unattachedCheck_.isActive() && std::any_of(clients_.begin(), clients_.end(), unattached))
        unattachedCheck_.start();
}

void LabDaemon::expireUnattached() {
    const qint64 limit = monotonicNanos() - qint64(kUnattachedTimeoutMs) * kNanosPerMs;
    bool waiting = false;
    for (auto& c : clients_) {
        if (!unattached(c)) continue;
        if (c->acceptedAt <= limit)
            drop(c.get());
        else
            waiting = true;
    }
    if (!waiting) unattachedCheck_.stop();
}

void LabDaemon::readClient(Client* client) {
    QByteArray datagram;
    for (int n = 0; n < kMessagesPerTurn && !holdBack(client); ++n) {
        const local::ReceiveResult r = local::receive(client->fd, &datagram);
        if (r == local::ReceiveResult::Nothing) break;
        if (r == local::ReceiveResult::TooLong) {
            reject(client, datagram, wire::kTooLong);
            continue;
        }
        const std::optional<Message> m =
            r == local::ReceiveResult::Message ? wire::decode(datagram) : std::nullopt;
        if (!m) {
            drop(client);
            return;
        }
        handle(client, *m);
        if (client->fd < 0) {
            drop(client);
            return;
        }
    }
    run();
}

// Said to the client in its turn, behind what it is already owed.
void LabDaemon::reject(Client* client, const QByteArray& datagram, int why) {
    const Message m{Type::Rejected, qint64(quint8(datagram.at(0))) | qint64(why) << 8, {}};
    if (client->end.isEmpty())
        local::send(client->fd, m);
    else
        sendTo(client->end, m);
}

void LabDaemon::ringFrom(Client* client, const Message& m) {
    const QString end = QString::fromUtf8(m.data);
    if (!line_.ends().contains(end)) {
        local::send(client->fd, Message{Type::Refused, MSComm::comPortInvalid, {}});
        return;
    }
    line_.ring(now(), end);
    local::send(client->fd, Message{Type::Rung, 0, {}});
}

void LabDaemon::handle(Client* client, const Message& m) {
    if (client->end.isEmpty()) {
        if (m.type == Type::Attach) {
            attach(client, m);
        } else if (m.type == Type::Ring) {
            ringFrom(client, m);
        } else if (m.type == Type::Monitor && !client->watch) {
            watchFrom(client, m);
        } else {
            local::closeFd(std::exchange(client->fd, -1));
        }
        return;
    }
    const Nanos t = now();
    const QString& end = client->end;
    switch (m.type) {
        case Type::SetDtr:
            line_.setDtr(t, end, m.value != 0);
            break;
        case Type::SetRts:
            line_.setRts(t, end, m.value != 0);
            break;
        case Type::SetBreak:
            line_.setBreak(t, end, m.value != 0);
            break;
        case Type::SetHandshake:
            line_.setHandshake(t, end, Handshake(m.value & 3));
            break;
        case Type::Write:
            line_.write(t, end, m.data);
            break;
        case Type::SendImmediate:
            line_.sendImmediate(t, end, int(m.value));
            break;
        case Type::Discard:
            line_.discardTx(t, end, m.value);
            break;
        case Type::Ring:
            line_.ring(t, end);
            break;
        default:
            reject(client, wire::encode(m), wire::kNotTaken);
            break;
    }
}

void LabDaemon::attach(Client* client, const Message& m) {
    const QList<QByteArray> fields = m.data.split('\n');
    const QString end = QString::fromUtf8(fields.value(0));
    const std::optional<Format> format = parseSettings(QString::fromUtf8(fields.value(1)));
    // A program that has just left may not have been read to its end yet: its end is free.
    if (Client* holder = clientAt(end); holder && local::peerGone(holder->fd)) drop(holder);
    int refusal = MSComm::NoError;
    if (!line_.ends().contains(end)) {
        refusal = MSComm::comPortInvalid;
    } else if (endTaken(end)) {
        refusal = MSComm::comPortAlreadyOpen;
    } else if (!format) {
        refusal = MSComm::comSetCommStateFailed;
    }
    if (refusal != MSComm::NoError) {
        local::send(client->fd, Message{Type::Refused, refusal, {}});
        local::closeFd(std::exchange(client->fd, -1));
        return;
    }
    line_.open(now(), end, *format, Handshake(m.value & 3), m.value & wire::kDtrOn,
               m.value & wire::kRtsOn);
    client->end = end;
    // The lines as they are at the opening are its starting point, not changes.
    run(end);
    sendTo(end, Message{Type::Attached, inputBits(line_.inputs(end)), {}});
}

bool LabDaemon::endTaken(const QString& end) const {
    for (const auto& c : clients_) {
        if (c->end == end && c->fd >= 0) return true;
    }
    for (const auto& p : ptys_) {
        if (p->end() == end) return true;
    }
    return false;
}

LabDaemon::Client* LabDaemon::clientAt(const QString& end) {
    for (auto& c : clients_) {
        if (c->end == end && c->fd >= 0) return c.get();
    }
    return nullptr;
}

void LabDaemon::drop(Client* client) {
    local::closeFd(std::exchange(client->fd, -1));
    client->readable->setEnabled(false);
    client->writable->setEnabled(false);
    if (!client->end.isEmpty()) line_.close(now(), std::exchange(client->end, QString()));
    // The client's notifier may be the one whose signal runs: it goes from the event loop.
    QMetaObject::invokeMethod(
        this,
        [this] {
            std::erase_if(clients_, [](const std::unique_ptr<Client>& c) { return c->fd < 0; });
        },
        Qt::QueuedConnection);
    run();
}

bool LabDaemon::queueFull(const QString& end) const {
    return line_.txPending(end) >= kEndQueueBytes;
}

bool LabDaemon::holdBack(Client* client) {
    if (client->end.isEmpty() || !queueFull(client->end)) return false;
    client->heldBack = true;
    client->readable->setEnabled(false);
    if (!heldCheck_.isActive()) heldCheck_.start();
    return true;
}

void LabDaemon::resumeHeld() {
    for (auto& c : clients_) {
        if (!c->heldBack || c->fd < 0 || queueFull(c->end)) continue;
        c->heldBack = false;
        c->readable->setEnabled(true);
    }
    for (auto& p : ptys_) p->setReading(!queueFull(p->end()));
}

void LabDaemon::checkHeld() {
    bool held = false;
    for (auto& c : clients_) {
        if (!c->heldBack || c->fd < 0) continue;
        if (local::peerGone(c->fd))
            drop(c.get());
        else
            held = true;
    }
    if (!held) heldCheck_.stop();
}

void LabDaemon::flushOutbox(Client* client) {
    for (queueLate(client); !client->outbox.isEmpty(); queueLate(client)) {
        const local::SendResult r = local::send(client->fd, client->outbox.constFirst());
        if (r == local::SendResult::WouldBlock) return;
        client->outboxBytes -= client->outbox.constFirst().size();
        client->outbox.removeFirst();
        if (r == local::SendResult::Broken) {
            client->outbox.clear();
            client->outboxBytes = 0;
            break;
        }
    }
    client->writable->setEnabled(false);
}

// Behind a socket that is not keeping up: the transmit room and progress wait as values, the
// latest replacing the one before, and go once the client has caught up.
void LabDaemon::queue(Client* client, const Message& m) {
    client->writable->setEnabled(true);
    queueLate(client);
    if (m.type == Type::TxRoom || m.type == Type::TxProgress) {
        (m.type == Type::TxRoom ? client->lateRoom : client->lateProgress) = m;
        return;
    }
    if (m.type == Type::Received) {
        queueReceived(client, m.data);
        return;
    }
    const QByteArray datagram = wire::encode(m);
    if (client->outboxBytes + datagram.size() <= kOutboxBytes) {
        client->outbox.append(datagram);
        client->outboxBytes += datagram.size();
        return;
    }
    switch (m.type) {
        case Type::Modem:
            client->lateModem = m;
            break;
        case Type::Errored:
            ++client->overrun;
            break;
        default:  // a line error goes with the character it came with
            break;
    }
}

// Characters join the datagram queued last when it is one of theirs, so that a slow reader's
// backlog costs its characters rather than a datagram each. Once some are dropped, the rest are
// until the client has been told.
void LabDaemon::queueReceived(Client* client, QByteArray codes) {
    constexpr qsizetype kFull = wire::kHeaderSize + wire::kMaxData;
    while (!codes.isEmpty() && client->overrun == 0) {
        const bool joins = !client->outbox.isEmpty() && joinsReceived(client->outbox.constLast());
        const qsizetype room =
            kOutboxBytes - client->outboxBytes - (joins ? 0 : qsizetype(wire::kHeaderSize));
        if (room <= 0) break;
        if (!joins) {
            client->outbox.append(wire::encode(Message{Type::Received, 0, {}}));
            client->outboxBytes += wire::kHeaderSize;
        }
        QByteArray& last = client->outbox.last();
        const qsizetype take = std::min({codes.size(), kFull - last.size(), room});
        last.append(codes.first(take));
        codes.remove(0, take);
        client->outboxBytes += take;
    }
    client->overrun += codes.size();
}

// What waits beside the outbox goes before anything newer: the overrun, as a line error, and the
// latest modem lines as soon as there is room; the room and progress once the outbox is empty.
void LabDaemon::queueLate(Client* client) {
    auto add = [client](const Message& m) {
        const QByteArray datagram = wire::encode(m);
        if (client->outboxBytes + datagram.size() > kOutboxBytes) return false;
        client->outbox.append(datagram);
        client->outboxBytes += datagram.size();
        return true;
    };
    if (client->overrun > 0 && add(Message{Type::LineError, kOverrun, {}})) client->overrun = 0;
    if (client->lateModem && add(*client->lateModem)) client->lateModem.reset();
    if (!client->outbox.isEmpty()) return;
    for (auto* late : {&client->lateRoom, &client->lateProgress}) {
        if (*late && add(**late)) late->reset();
    }
}

// ---- The line on the clock -------------------------------------------------------------------

Nanos LabDaemon::now() const {
    return monotonicNanos() - origin_;
}

void LabDaemon::run(const QString& quietEnd) {
    const Nanos at = now();
    dispatch(line_.advance(at), quietEnd);
    armTimer();
    resumeHeld();
    feedMonitors(at, false);
}

// "end\nTxD,RxD": the wires of one end. A monitor only listens: it changes nothing on the line.
void LabDaemon::watchFrom(Client* client, const Message& m) {
    const QList<QByteArray> parts = m.data.split('\n');
    const qsizetype watching = std::count_if(clients_.begin(), clients_.end(),
                                             [](const auto& c) { return c->fd >= 0 && c->watch; });
    Client::Watch watch;
    watch.end = QString::fromUtf8(parts.value(0));
    for (const QByteArray& name : parts.value(1).split(',')) {
        for (int s = 0; s < kSignalCount; ++s)
            if (signalName(Signal(s)) == QLatin1String(name)) watch.wires << Signal(s);
    }
    const bool valid = parts.size() == 2 && line_.ends().contains(watch.end) &&
                       !watch.wires.isEmpty() && watch.wires.size() <= wire::kMonitorWires &&
                       watch.wires.size() == parts.value(1).split(',').size();
    if (!valid || watching >= kMonitorLimit) {
        local::send(client->fd, Message{Type::Refused, MSComm::comPortInvalid, {}});
        return;
    }
    client->watch = std::move(watch);
    local::send(client->fd, Message{Type::Monitoring, origin_, {}});
    if (!monitorTick_.isActive()) monitorTick_.start();
}

void LabDaemon::probe(Nanos at, const QString& end, Signal signal, bool high) {
    if (vcd_) vcd_->change(at, end, signal, high);
    for (auto& c : clients_) {
        if (c->fd < 0 || !c->watch || c->watch->end != end) continue;
        Client::Watch& w = *c->watch;
        const int index = int(w.wires.indexOf(signal));
        if (index < 0) continue;
        char record[wire::kLevelRecord];
        qToLittleEndian<qint64>(at, record);
        record[8] = char(index << 1 | (high ? 1 : 0));
        w.pending.append(record, wire::kLevelRecord);
        if (w.pending.size() > kMonitorBacklog) {
            const qsizetype excess =
                (w.pending.size() - kMonitorBacklog + wire::kLevelRecord - 1) / wire::kLevelRecord;
            w.pending.remove(0, excess * wire::kLevelRecord);
            w.lost += excess;
        }
    }
}

// Each monitor learns how far its record is complete: with each batch of changes, and at each
// tick even when nothing changed, so that its screen's time goes on.
void LabDaemon::feedMonitors(Nanos completeTo, bool tick) {
    bool any = false;
    for (auto& c : clients_) {
        if (c->fd < 0 || !c->watch) continue;
        any = true;
        if (tick || !c->watch->pending.isEmpty() || c->watch->lost > 0) feed(c.get(), completeTo);
    }
    if (!any) monitorTick_.stop();
}

// What a monitor's socket does not take waits, bounded, for its next turn: a slow monitor loses
// old changes, and is told how many, but never holds up the line.
void LabDaemon::feed(Client* client, Nanos completeTo) {
    Client::Watch& w = *client->watch;
    constexpr qsizetype kChunk = wire::kMaxData / wire::kLevelRecord * wire::kLevelRecord;
    if (w.lost > 0) {
        if (local::send(client->fd, Message{Type::LevelsLost, w.lost, {}}) !=
            local::SendResult::Sent)
            return;
        w.lost = 0;
    }
    do {
        const Message m{Type::Levels, completeTo,
                        w.pending.first(std::min(kChunk, w.pending.size()))};
        if (local::send(client->fd, m) != local::SendResult::Sent) return;
        w.pending.remove(0, m.data.size());
    } while (!w.pending.isEmpty());
}

// The characters of a batch go as few datagrams as their order with the other events allows;
// the counts of a transmit queue replace one another, so only the latest of each goes, after
// the batch.
void LabDaemon::dispatch(const QList<Event>& events, const QString& quietEnd) {
    batching_ = true;
    // Per end, in the order the ends first appear: a handful, so a list beats a map.
    struct Pending {
        QString end;
        QByteArray received;  // intact codes not handed out yet
        qint64 progress = -1;
        qint64 room = -1;
    };
    QVarLengthArray<Pending, 8> pending;
    auto of = [&pending](const QString& end) -> Pending& {
        for (Pending& p : pending)
            if (p.end == end) return p;
        pending.append(Pending{end, {}, -1, -1});
        return pending.back();
    };
    auto flush = [this](Pending& p) {
        const QByteArray codes = std::exchange(p.received, {});
        for (qsizetype i = 0; i < codes.size(); i += wire::kMaxData)
            sendTo(p.end, Message{Type::Received, 0, codes.mid(i, wire::kMaxData)});
    };
    for (const Event& e : events) {
        if (e.kind == Event::Kind::Received && !e.framingError && !e.parityError) {
            of(e.end).received.append(char(e.value));
        } else if (e.kind == Event::Kind::TxProgress) {
            of(e.end).progress = e.value;
        } else if (e.kind == Event::Kind::TxRoom) {
            of(e.end).room = e.value;
        } else {
            flush(of(e.end));
            dispatchOne(e, quietEnd);
        }
    }
    for (Pending& p : pending) flush(p);
    for (const Pending& p : pending)
        if (p.room >= 0) sendTo(p.end, Message{Type::TxRoom, p.room, {}});
    for (const Pending& p : pending)
        if (p.progress >= 0) sendTo(p.end, Message{Type::TxProgress, p.progress, {}});
    batching_ = false;
    for (auto& c : clients_) sendBatch(c.get());
}

void LabDaemon::dispatchOne(const Event& e, const QString& quietEnd) {
    switch (e.kind) {
        case Event::Kind::Received:
            sendTo(e.end, Message{Type::Errored, e.value, {}});
            break;
        case Event::Kind::LineError:
            sendTo(e.end, Message{Type::LineError, e.value, {}});
            break;
        case Event::Kind::Modem:
            if (e.end != quietEnd)
                sendTo(e.end,
                       Message{Type::Modem, e.value | inputBits(line_.inputs(e.end)) << 16, {}});
            break;
        case Event::Kind::TxProgress:
        case Event::Kind::TxRoom:
            break;
    }
}

void LabDaemon::sendTo(const QString& end, const Message& m) {
    for (auto& p : ptys_) {
        if (p->end() != end) continue;
        if (m.type == Type::Received) p->deliver(m.data);
        if (m.type == Type::Errored) p->deliver(QByteArray(1, char(m.value)));
        return;
    }
    Client* client = clientAt(end);
    if (!client) return;
    if (backedUp(client)) {
        queue(client, m);
    } else if (batching_) {
        addToBatch(client, m);
    } else if (local::send(client->fd, wire::encode(m)) == local::SendResult::WouldBlock) {
        queue(client, m);
    }
}

bool LabDaemon::backedUp(const Client* client) {
    return !client->outbox.isEmpty() || client->lateModem || client->lateRoom ||
           client->lateProgress || client->overrun > 0;
}

// A message too large for a batch goes alone, after what was batched before it.
void LabDaemon::addToBatch(Client* client, const Message& m) {
    const qsizetype size = wire::batchedSize(m);
    if (client->batchBytes + size > wire::kMaxData) sendBatch(client);
    client->batch.append(m);
    client->batchBytes += size;
    if (size > wire::kMaxData) sendBatch(client);
}

// A socket that cannot take the batch gets its messages queued one by one, as if sent alone.
void LabDaemon::sendBatch(Client* client) {
    if (client->batch.isEmpty()) return;
    const QList<Message> batch = std::exchange(client->batch, {});
    client->batchBytes = 0;
    if (client->fd < 0) return;
    const QByteArray datagram =
        batch.size() == 1 ? wire::encode(batch.constFirst()) : wire::encodeBatch(batch);
    if (local::send(client->fd, datagram) != local::SendResult::WouldBlock) return;
    for (const Message& m : batch) queue(client, m);
}

void LabDaemon::armTimer() {
    if (timer_ < 0) return;
    itimerspec wakeUp{};
    if (const std::optional<Nanos> due = line_.nextWakeUp()) {
        // Zero would disarm the timer: a time already past is one nanosecond after the origin.
        const qint64 at = qMax<qint64>(origin_ + *due, 1);
        wakeUp.it_value.tv_sec = at / kNanosPerSecond;
        wakeUp.it_value.tv_nsec = at % kNanosPerSecond;
    }
    ::timerfd_settime(timer_, TFD_TIMER_ABSTIME, &wakeUp, nullptr);
}

}  // namespace lablined
