#pragma once
// VelmoConsole: the interface-unit console's state, serial control MSComm2 and polling. It lives
// as long as the program, while its window FTest is created afresh at each start and let go only
// once the polling has returned, so that nothing the polling still touches can vanish under it.
//
// The polling and each exchange wait on a local event loop: clicks, the reception event and the
// timers are handled while a command is outstanding, and the console sleeps between events.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>

#include "core/velmo.h"
#include "serial/mscomm.h"

class FTest;
class Forms;
class QEventLoop;
struct AppState;

class VelmoConsole : public QObject {
    Q_OBJECT
public:
    // No reply within this time ends the console.
    static constexpr int kReplyTimeoutMs = 2000;
    // A reply without its carriage return is complete after this silence: well above the 16 ms
    // slices in which USB adapters deliver, far below the time-out.
    static constexpr int kQuietGapMs = 150;

    explicit VelmoConsole(Forms& forms);
    ~VelmoConsole() override;

    bool ReplyReceived = false;
    velmoxq::Decimal ReplyValue;
    bool ReplyTimedOut = false;
    bool QuitRequested = false;
    int PollStep = 0;
    int AnalogOutValue = velmoxq::kAnalogOutStart;
    std::array<bool, velmoxq::kEdgeCounters> EdgeRequest{};

    MSComm MSComm2;
    QTimer TimerReponse;

    // The console's part of the start, after the menu has set the link: the port test, then the
    // window and the polling. Returns once the console has ended.
    void run();
    // The port test with the probe "XCPT 0"; leaves its verdict in CommError.
    void EssaiPort();
    void Ouvreport();
    // Polls the unit until QuitRequested.
    void Scrutation();
    // Reports the failure in force, if it is one the user is told about.
    void ErreurComm();
    // Ends the console: polling stopped, port closed, main window enabled, window closed.
    void Annuler();

    // What the window's controls ask.
    void requestEdgeCount(int counter);
    void setBinaryOutput(int output, bool on);
    // Sets or clears bit `bit` of the analog output; the unit gets it at the next polling step.
    void setAnalogOutputBit(int bit, bool on);

    // The window while the console runs.
    FTest* window() const;

private:
    void onComm();
    void completeReply();
    void onTimeOut();
    void wake();
    bool settled() const;

    MSComm::Error openPort();
    void closePort();
    void send(const QByteArray& command);
    void discardInput();
    // Sends a command that expects a reply and waits for it: true with ReplyValue set, false
    // when the console must stop (the time-out exit has then run).
    bool exchange(velmoxq::Command command, int n);
    void waitForReply();
    bool pollStep();
    bool readEdgeCount(int counter);
    void timeOutExit();
    void closeWindow();

    Forms& forms_;
    AppState& state_;
    QTimer quietGap_;
    QByteArray pending_;
    bool awaiting_ = false;  // an exchange waits for its reply
    // The port went away (a cable or an adapter pulled out, the lab's line stopped): no reply
    // can come, and the user is told that, not that the unit is silent.
    bool portLost_ = false;
    MSComm::Error openError_ = MSComm::NoError;
    QEventLoop* waiting_ = nullptr;
    QPointer<FTest> window_;
};
