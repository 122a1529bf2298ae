#pragma once
// Serial hardware for tests, made of pseudo-terminals by socat:
// - a null-modem cable: two ends; what is written on one end is read on the other;
// - a loopback plug: one end whose output comes back as its own input.
// The ends are symbolic links in a temporary folder, which also receives the ports.232 file
// that maps Com1..Com4 to them, so that a test never opens a real port. Destroying the object
// stops socat and removes the folder.
//
//     VirtualCable cable;                        // null modem
//     QVERIFY2(cable.isReady(), qPrintable(cable.errorString()));
//     QVERIFY(cable.writePortMap());             // Com1 -> end A, Com2 -> end B
//     comm.setPortMapDirectory(cable.folder());

#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class VirtualCable {
public:
    enum Kind { NullModem, Loopback };

    // Starts socat and waits (event loop, bounded) until the ends exist.
    explicit VirtualCable(Kind kind = NullModem, int timeoutMs = 5000);
    ~VirtualCable();
    VirtualCable(const VirtualCable&) = delete;
    VirtualCable& operator=(const VirtualCable&) = delete;

    bool isReady() const { return ready_; }
    QString errorString() const { return error_; }
    Kind kind() const { return kind_; }

    // The folder holding the ends and ports.232.
    QString folder() const { return dir_.path(); }
    // The ends as symbolic links: endA() and endB() for a cable (the same for a plug).
    QString endA() const;
    QString endB() const;
    // The pseudo-terminal device an end leads to ("/dev/pts/5").
    QString deviceOf(const QString& end) const;
    // A path in the folder that leads nowhere (a port that does not exist).
    QString absentDevice() const;

    // Writes ports.232 in folder(). By default Com1 leads to end A, Com2 to end B (a plug: Com1
    // and Com2 both to its one end), Com3 and Com4 to absent devices; `devices` overrides
    // ports one by one.
    bool writePortMap(const QMap<int, QString>& devices = {}) const;

    // Pulls the plug: stops socat at once, as an unplugged adapter or a closed peer would.
    void unplug();
    // Plugs the cable in again after unplug(): new pseudo-terminals behind the same links.
    bool plugIn(int timeoutMs = 5000);

private:
    bool start(int timeoutMs);

    Kind kind_;
    QTemporaryDir dir_;
    QProcess socat_;
    bool ready_ = false;
    QString error_;
};

}  // namespace testsupport
