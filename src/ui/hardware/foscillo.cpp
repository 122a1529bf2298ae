#include "ui/hardware/foscillo.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/appstate.h"
#include "core/framebits.h"
#include "core/scopevcd.h"
#include "ui/hardware/scopescreen.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

namespace {

// The screen's rate: the traces are drawn at most this often, however fast the line.
constexpr int kRefreshMs = 33;

const char* const kModeNames[] = {"Automatique", "Normal", "Monocoup"};
constexpr scope::TriggerMode kModes[] = {scope::TriggerMode::Auto, scope::TriggerMode::Normal,
                                         scope::TriggerMode::Single};

// A duration in nanoseconds as the readout prints it: "104,2 µs", "9,09 ms".
QString duration(scope::Nanos ns) {
    if (ns < 1'000'000) {
        const scope::Nanos tenths = (ns + 50) / 100;
        return QStringLiteral("%1,%2 µs").arg(tenths / 10).arg(tenths % 10);
    }
    const scope::Nanos hundredths = (ns + 5'000) / 10'000;
    return QStringLiteral("%1,%2 ms")
        .arg(hundredths / 100)
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

// The frame's bits in groups: start, data, parity, stop.
QString grouped(const QString& bits, const scope::FrameFormat& f) {
    const bool parity = f.parity != u'N';
    QStringList parts{bits.left(1), bits.mid(1, f.dataBits)};
    if (parity) parts << bits.mid(1 + f.dataBits, 1);
    parts << bits.mid(1 + f.dataBits + (parity ? 1 : 0));
    return parts.join(QLatin1Char(' '));
}

}  // namespace

FOscillo::FOscillo(Forms& forms, QWidget* parent) : QWidget(parent), forms_(forms) {
    setObjectName(QStringLiteral("FOscillo"));
    setWindowTitle(QStringLiteral("Oscilloscope"));
    setWindowFlag(Qt::Window);
    buildControls();
    // A character typed by hand stays on the screen until the next one: the normal mode.
    mode_->setCurrentIndex(
        int(std::find(std::begin(kModes), std::end(kModes), scope::TriggerMode::Normal) -
            std::begin(kModes)));
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &FOscillo::refresh);
    connect(&monitor_, &serial::LabMonitor::changes, this, &FOscillo::takeChanges);
    connect(&monitor_, &serial::LabMonitor::lost, this, &FOscillo::addDropped);
    connect(&monitor_, &serial::LabMonitor::ended, this, [this] {
        status_ = QStringLiteral("Le laboratoire virtuel s'est arrêté.");
        trigger_.stop();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &FOscillo::Annuler_Click);
    formkit::refuseClose(this, [this] { Annuler_Click(); });
    resize(720, 520);
    formkit::centreOnScreen(this);
}

void FOscillo::buildControls() {
    screen_ = new ScopeScreen(this);
    base_ = new QComboBox(this);
    base_->setObjectName(QStringLiteral("BaseDeTemps"));
    base_->setAccessibleName(QStringLiteral("Base de temps"));
    for (scope::Nanos b : scope::timeBases()) base_->addItem(scope::timeBaseText(b), qlonglong(b));
    mode_ = new QComboBox(this);
    mode_->setObjectName(QStringLiteral("Declenchement"));
    mode_->setAccessibleName(QStringLiteral("Déclenchement"));
    for (const char* name : kModeNames) mode_->addItem(QString::fromUtf8(name));
    sourceBox_ = new QComboBox(this);
    sourceBox_->setObjectName(QStringLiteral("Source"));
    sourceBox_->setAccessibleName(QStringLiteral("Voie qui déclenche"));
    runStop_ = formkit::addButton(this, "BoutonMarche", "Arrêt", 0, 0, 1095, 375,
                                  "Arrête ou relance l'acquisition");
    save_ = formkit::addButton(this, "BoutonEnregistrer", "Enregistrer", 0, 0, 1095, 375,
                               "Enregistre les signaux dans un fichier VCD du dossier de travail");
    close_ =
        formkit::addButton(this, "Annuler", "Annuler", 0, 0, 1095, 375, "Ferme l'oscilloscope");
    auto* baseLabel = new QLabel(QStringLiteral("Base de temps :"), this);
    baseLabel->setBuddy(base_);
    auto* modeLabel = new QLabel(QStringLiteral("Déclenchement :"), this);
    modeLabel->setBuddy(mode_);
    auto* sourceLabel = new QLabel(QStringLiteral("sur :"), this);
    sourceLabel->setBuddy(sourceBox_);
    auto* controls = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(baseLabel), static_cast<QWidget*>(base_),
                       static_cast<QWidget*>(modeLabel), static_cast<QWidget*>(mode_),
                       static_cast<QWidget*>(sourceLabel), static_cast<QWidget*>(sourceBox_)})
        controls->addWidget(w);
    controls->addStretch();
    for (QPushButton* b : {runStop_, save_, close_}) controls->addWidget(b);
    auto* column = new QVBoxLayout(this);
    column->addWidget(screen_, 1);
    column->addLayout(controls);
    connect(base_, &QComboBox::currentIndexChanged, this, &FOscillo::timeBaseChosen);
    connect(mode_, &QComboBox::currentIndexChanged, this, &FOscillo::modeChosen);
    connect(sourceBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        source_ = std::max(index, 0);
        trigger_.run(now_);
        shown_.reset();
    });
    connect(runStop_, &QPushButton::clicked, this, &FOscillo::BoutonMarche_Click);
    connect(save_, &QPushButton::clicked, this, &FOscillo::BoutonEnregistrer_Click);
    connect(close_, &QPushButton::clicked, this, &FOscillo::Annuler_Click);
}

bool FOscillo::present(const QList<Probe>& probes, const scope::FrameFormat& format,
                       const QString& labTarget, QString* why) {
    monitor_.stop();
    if (!labTarget.isEmpty()) {
        QList<labline::Signal> wires;
        for (const Probe& p : probes) wires << p.wire;
        if (!monitor_.watch(labTarget, wires, why)) return false;
    }
    probes_ = probes;
    format_ = format;
    {
        const QSignalBlocker quiet(sourceBox_);
        sourceBox_->clear();
        for (int c = 0; c < probes.size(); ++c)
            sourceBox_->addItem(
                QStringLiteral("voie %1 (%2)").arg(c + 1).arg(labline::signalName(probes[c].wire)));
        source_ = 0;
    }
    channels_.assign(probes.size(), scope::Channel());
    trigger_.setFormat(format);
    dropped_ = 0;
    shown_.reset();
    status_.clear();
    const scope::Nanos base = scope::timeBaseFor(format.baud, scope::frameBits(format) + 1);
    base_->setCurrentIndex(base_->findData(qlonglong(base)));
    timeBaseChosen(base_->currentIndex());
    trigger_.run(now_);
    showRunState();
    draw();
    show();
    raise();
    activateWindow();
    runStop_->setFocus();
    return true;
}

// The lab says whether a wire is high; the screen wants RS-232 voltages: a data wire is at mark
// (negative) when high, a control wire is on (positive) when high.
void FOscillo::takeChanges(const QList<serial::LabMonitor::Change>& changes,
                           scope::Nanos completeTo) {
    for (const serial::LabMonitor::Change& c : changes) {
        if (c.wire < 0 || c.wire >= probes_.size()) continue;
        const labline::Signal s = probes_[c.wire].wire;
        const bool data = s == labline::Signal::TxD || s == labline::Signal::RxD;
        channels_[c.wire].append({c.at, data ? c.high : !c.high});
    }
    setLineTime(completeTo);
}

void FOscillo::addChanges(int channel, const QList<scope::Edge>& edges) {
    if (channel < 0 || channel >= int(channels_.size())) return;
    for (const scope::Edge& e : edges) channels_[channel].append(e);
}

void FOscillo::setLineTime(scope::Nanos now) {
    now_ = std::max(now_, now);
}

void FOscillo::addDropped(qint64 count) {
    dropped_ += count;
}

void FOscillo::BoutonMarche_Click() {
    if (trigger_.isRunning())
        trigger_.stop();
    else
        trigger_.run(now_);
    showRunState();
    draw();
}

void FOscillo::BoutonEnregistrer_Click() {
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'oscillo-'yyyyMMdd-HHmmss'.vcd'"));
    const QString path = QDir(forms_.state().workDir).absoluteFilePath(name);
    QList<scope::NamedChannel> named;
    for (int c = 0; c < probes_.size(); ++c)
        named << scope::NamedChannel{labline::signalName(probes_[c].wire), &channels_[c]};
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && scope::writeVcd(&file, named);
    lastRecording_ = written ? path : QString();
    status_ = written ? QStringLiteral("Signaux enregistrés dans %1").arg(path)
                      : QStringLiteral("Le fichier %1 n'a pas pu être écrit.").arg(path);
    draw();
}

void FOscillo::Annuler_Click() {
    monitor_.stop();
    trigger_.stop();
    hide();
    emit closed();
}

void FOscillo::refresh() {
    if (source_ >= int(channels_.size())) return;
    if (const auto sweep = trigger_.next(channels_[source_], now_)) {
        shown_ = sweep;
    } else if (trigger_.isRunning() && (!shown_ || !shown_->triggered)) {
        // Until its first start bit the screen shows the line as it is, idle or not.
        const scope::Nanos width = base_->currentData().toLongLong() * scope::kDivisions;
        shown_ = scope::Sweep{now_ - width, false};
    }
    showRunState();
    draw();
}

void FOscillo::showEvent(QShowEvent* event) {
    refresh_.start();
    QWidget::showEvent(event);
}

void FOscillo::hideEvent(QHideEvent* event) {
    refresh_.stop();
    QWidget::hideEvent(event);
}

void FOscillo::timeBaseChosen(int index) {
    if (index < 0) return;
    trigger_.setTimeBase(base_->itemData(index).toLongLong());
    shown_.reset();
    if (isVisible()) draw();
}

void FOscillo::modeChosen(int index) {
    if (index < 0 || index >= int(std::size(kModes))) return;
    trigger_.setMode(kModes[index]);
    trigger_.run(now_);
    shown_.reset();
    showRunState();
}

void FOscillo::showRunState() {
    runStop_->setText(trigger_.isRunning() ? QStringLiteral("Arrêt") : QStringLiteral("Marche"));
}

void FOscillo::draw() {
    const scope::Nanos width = base_->currentData().toLongLong() * scope::kDivisions;
    QList<ScopeScreen::Trace> traces;
    for (int c = 0; c < probes_.size(); ++c) {
        ScopeScreen::Trace t{
            QStringLiteral("Voie %1 : %2").arg(c + 1).arg(labline::signalName(probes_[c].wire)),
            probes_[c].colour,
            {}};
        if (shown_) t.points = scope::trace(channels_[c], shown_->startNs, width);
        traces << t;
    }
    screen_->setTraces(traces, width);
    screen_->setReadout(readoutLines());
}

QStringList FOscillo::readoutLines() const {
    const scope::Nanos bit = scope::bitStart(0, 1, format_.baud);
    QString first =
        QStringLiteral("Durée d'un bit : %1 à %2 bauds").arg(duration(bit)).arg(format_.baud);
    QString third = status_;
    if (third.isEmpty())
        third = !trigger_.isRunning() ? QStringLiteral("Acquisition arrêtée")
                : shown_              ? QString()
                                      : QStringLiteral("En attente d'un bit de start");
    if (dropped_ > 0) third += QStringLiteral("  (%1 changements perdus)").arg(dropped_);
    return {first, frameLine(), third.trimmed()};
}

QString FOscillo::frameLine() const {
    if (!shown_ || !shown_->triggered || source_ >= int(channels_.size()))
        return QStringLiteral("Trame : -");
    const scope::Nanos width = base_->currentData().toLongLong() * scope::kDivisions;
    const scope::Nanos start = width * scope::kTriggerDivision / scope::kDivisions;
    const auto r = scope::readFrame(scope::trace(channels_[source_], shown_->startNs, width), start,
                                    format_, width);
    if (!r) return QStringLiteral("Trame : plus longue que l'écran");
    QString line = QStringLiteral("Trame (voie %1) : %2  =  code %3 ($%4)")
                       .arg(source_ + 1)
                       .arg(grouped(r->bits, format_))
                       .arg(r->code)
                       .arg(QString::number(r->code, 16).toUpper());
    if (frame::isDisplayable(r->code))
        line += QStringLiteral("  « %1 »").arg(frame::DisplayChar(r->code));
    if (format_.parity != u'N')
        line += r->parityOk ? QStringLiteral(", parité correcte")
                            : QStringLiteral(", erreur de parité");
    if (!r->framingOk) line += QStringLiteral(", erreur de trame");
    return line;
}
