#pragma once
// The program's state and windows in a working folder of their own, as every window test needs
// them: the application state (the default configuration, on Com2, no access code), the registry of
// windows, the end of the program replaced by a flag. The folder's ports lead where the test
// says: to a virtual null-modem cable (Com1 end A, Com2 end B, Com3 and Com4 nowhere), to a
// loopback plug (Com1 and Com2), to the lab's simulated line wired as the lab is (Com1 a loopback
// plug, Com2-Com3 a null-modem cable, Com4 a cable to com4-peer), to devices that do not exist,
// or to the computer's defaults (no
// ports.232).

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

#include "core/appstate.h"
#include "serial/mscomm.h"
#include "support/labline.h"
#include "support/virtualcable.h"
#include "ui/shell/forms.h"

class FMenu;

namespace testsupport {

// The computer at the other end of the cable: a serial control of its own on one port of the
// test's folder, keeping everything it receives.
class PeerPort {
public:
    PeerPort(const QString& folder, int port, const QString& settings);
    bool isOpen() const;
    void send(const QByteArray& bytes);
    QByteArray received;
    MSComm comm;
};

class AppFixture {
public:
    enum class Ports { Cable, Loopback, Lab, Absent, Defaults };
    explicit AppFixture(Ports ports = Ports::Cable);
    ~AppFixture();

    // False (with the reason) when the virtual cable or the lab's line could not be made.
    bool isReady() const;
    QString errorString() const;

    QString folder() const;
    void writeFile(const QString& name, const QByteArray& bytes) const;

    AppState state;
    std::unique_ptr<VirtualCable> cable;  // with Ports::Cable
    std::unique_ptr<LabLine> lab;         // with Ports::Lab
    std::unique_ptr<Forms> forms;

    template <class W>
    W& get() {
        return forms->get<W>();
    }
    FMenu& menu();

private:
    QTemporaryDir dir_;
};

}  // namespace testsupport
