#include "ui/hardware/velmoconsole.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "core/appstate.h"
#include "core/eventtexts.h"
#include "ui/hardware/ftest.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"

using velmoxq::Command;

namespace {

constexpr char kSeparator[] = "  ";
constexpr char kPortMissing[] = "n'existe pas sur cet ordinateur.";
constexpr char kPortBusy[] = "est déjà affecté à une autre tâche.";
constexpr char kNoReply[] = "Velmo ne répond pas sur";

}  // namespace

VelmoConsole::VelmoConsole(Forms& forms) : forms_(forms), state_(forms.state()) {
    MSComm2.setObjectName("MSComm2");
    MSComm2.setPortMapDirectory(state_.workDir);
    MSComm2.setRThreshold(1);
    connect(&MSComm2, &MSComm::OnComm, this, &VelmoConsole::onComm);
    TimerReponse.setObjectName("TimerReponse");
    TimerReponse.setSingleShot(true);
    // Never before its time: a coarse timer may fire a few per cent early.
    TimerReponse.setTimerType(Qt::PreciseTimer);
    TimerReponse.setInterval(kReplyTimeoutMs);
    connect(&TimerReponse, &QTimer::timeout, this, &VelmoConsole::onTimeOut);
    quietGap_.setSingleShot(true);
    quietGap_.setInterval(kQuietGapMs);
    connect(&quietGap_, &QTimer::timeout, this, &VelmoConsole::completeReply);
}

VelmoConsole::~VelmoConsole() {
    closePort();
}

void VelmoConsole::run() {
    QuitRequested = false;
    state_.PortSettings = velmoxq::kLineSettings;
    EssaiPort();
    if (state_.CommError == 1) return;
    Ouvreport();
    send(velmoxq::commandText(Command::Reset));
    PollStep = 0;
    AnalogOutValue = velmoxq::kAnalogOutStart;
    window_ = &forms_.create<FTest>(*this);
    forms_.holdMenu(*window_);
    window_->present();
    while (!QuitRequested) {
        Scrutation();
        QCoreApplication::processEvents();
    }
    window_ = nullptr;
    forms_.dispose<FTest>();
}

void VelmoConsole::EssaiPort() {
    state_.CommError = 0;
    bool answered = openPort() == MSComm::NoError;
    if (answered) {
        ReplyTimedOut = false;
        answered = exchange(Command::EdgeCount, 0);
    }
    if (!answered) {
        state_.CommError = 1;
        ErreurComm();
    }
    closePort();
}

void VelmoConsole::Ouvreport() {
    openPort();
}

MSComm::Error VelmoConsole::openPort() {
    closePort();
    MSComm2.setCommPort(state_.LinkConfig.PortNumber);
    MSComm2.setSettings(state_.PortSettings);
    MSComm2.setHandshaking(serial::Handshaking::None);
    portLost_ = false;
    openError_ = MSComm2.setPortOpen(true);
    return openError_;
}

void VelmoConsole::closePort() {
    if (MSComm2.PortOpen()) MSComm2.setPortOpen(false);
}

void VelmoConsole::send(const QByteArray& command) {
    MSComm2.setOutputBytes(command);
}

void VelmoConsole::discardInput() {
    quietGap_.stop();
    pending_.clear();
    if (MSComm2.PortOpen()) MSComm2.InputBytes();
}

void VelmoConsole::Scrutation() {
    while (!QuitRequested) {
        QCoreApplication::processEvents();
        if (QuitRequested || !pollStep()) return;
        for (int counter = 0; counter < velmoxq::kEdgeCounters; ++counter) {
            if (EdgeRequest[counter] && !readEdgeCount(counter)) return;
        }
        send(velmoxq::commandText(Command::AnalogOut, AnalogOutValue));
    }
}

bool VelmoConsole::pollStep() {
    if (PollStep >= velmoxq::kPollSteps) PollStep = 0;
    const velmoxq::PollRead read = velmoxq::pollRead(PollStep);
    if (!exchange(read.command, read.input)) return false;
    if (window_ && read.command == Command::AnalogIn)
        window_->showAnalogInput(read.input, ReplyValue);
    else if (window_)
        window_->showBinaryInput(read.input, ReplyValue);
    ++PollStep;
    return true;
}

bool VelmoConsole::readEdgeCount(int counter) {
    if (!exchange(Command::EdgeCount, counter)) return false;
    if (window_) window_->showEdgeCount(counter, ReplyValue);
    EdgeRequest[counter] = false;
    return true;
}

bool VelmoConsole::exchange(Command command, int n) {
    discardInput();
    ReplyReceived = false;
    awaiting_ = true;
    send(velmoxq::commandText(command, n));
    TimerReponse.start();
    waitForReply();
    awaiting_ = false;
    TimerReponse.stop();
    if (QuitRequested) return false;
    if (ReplyReceived) return true;
    if (window_) timeOutExit();
    return false;
}

void VelmoConsole::waitForReply() {
    if (settled() || waiting_) return;
    QEventLoop loop;
    waiting_ = &loop;
    loop.exec();
    waiting_ = nullptr;
}

bool VelmoConsole::settled() const {
    return ReplyReceived || ReplyTimedOut || QuitRequested || portLost_;
}

void VelmoConsole::wake() {
    if (waiting_ && settled()) waiting_->quit();
}

void VelmoConsole::onComm() {
    if (MSComm2.CommEvent() == serial::comEventPortLost) {
        portLost_ = true;
        awaiting_ = false;
        quietGap_.stop();
        state_.CommError = 1;
        wake();
        return;
    }
    if (MSComm2.CommEvent() != serial::comEvReceive) return;
    MSComm2.setInputLen(0);
    const QByteArray bytes = MSComm2.InputBytes();
    // A reply after "Annuler", after the time-out or to no command at all is not one.
    if (!awaiting_) return;
    pending_ += bytes;
    if (pending_.contains(velmoxq::kCarriageReturn))
        completeReply();
    else
        quietGap_.start();
}

void VelmoConsole::completeReply() {
    quietGap_.stop();
    if (!awaiting_ || pending_.isEmpty()) return;
    awaiting_ = false;
    ReplyValue = velmoxq::readReply(pending_);
    pending_.clear();
    ReplyReceived = true;
    wake();
}

void VelmoConsole::onTimeOut() {
    awaiting_ = false;
    ReplyTimedOut = true;
    state_.CommError = 1;
    wake();
}

void VelmoConsole::timeOutExit() {
    QuitRequested = true;
    TimerReponse.stop();
    closePort();
    closeWindow();
    ErreurComm();
}

void VelmoConsole::ErreurComm() {
    TimerReponse.stop();
    const QString port = state_.LinkConfig.PortName;
    QString text;
    if (openError_ == MSComm::comPortInvalid) {
        text = port + kSeparator + kPortMissing;
    } else if (openError_ == MSComm::comPortAlreadyOpen) {
        text = port + kSeparator + kPortBusy;
    } else if (portLost_) {
        portLost_ = false;
        text = eventtexts::errorMessage(serial::comEventPortLost);
    } else if (ReplyTimedOut) {
        ReplyTimedOut = false;
        text = kNoReply + QString(kSeparator) + port;
    }
    if (openError_ == MSComm::comPortInvalid || openError_ == MSComm::comPortAlreadyOpen)
        openError_ = MSComm::NoError;
    if (!text.isEmpty()) forms_.ShowError(text);
}

void VelmoConsole::Annuler() {
    if (QuitRequested) return;
    QuitRequested = true;
    TimerReponse.stop();
    awaiting_ = false;
    closePort();
    closeWindow();
    wake();
}

void VelmoConsole::closeWindow() {
    if (!window_) return;
    window_->hide();
    forms_.releaseMenu(*window_);
}

void VelmoConsole::requestEdgeCount(int counter) {
    EdgeRequest[counter] = true;
}

void VelmoConsole::setBinaryOutput(int output, bool on) {
    send(velmoxq::commandText(on ? Command::SetBit : Command::ResetBit, output));
}

void VelmoConsole::setAnalogOutputBit(int bit, bool on) {
    AnalogOutValue += (on ? 1 : -1) * velmoxq::bitWeight(bit);
}

FTest* VelmoConsole::window() const {
    return window_;
}
