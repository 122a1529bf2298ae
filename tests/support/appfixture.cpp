#include "support/appfixture.h"

#include <QFile>

#include "core/accesscode.h"
#include "ui/shell/fmenu.h"

namespace testsupport {

PeerPort::PeerPort(const QString& folder, int port, const QString& settings) {
    comm.setPortMapDirectory(folder);
    comm.setCommPort(port);
    comm.setSettings(settings);
    comm.setRThreshold(1);
    QObject::connect(&comm, &MSComm::OnComm, &comm, [this] {
        if (comm.CommEvent() == serial::comEvReceive) received += comm.InputBytes();
    });
    comm.setPortOpen(true);
}

bool PeerPort::isOpen() const {
    return comm.PortOpen();
}

void PeerPort::send(const QByteArray& bytes) {
    comm.setOutputBytes(bytes);
}

AppFixture::AppFixture(Ports ports) {
    if (ports == Ports::Cable || ports == Ports::Loopback) {
        cable = std::make_unique<VirtualCable>(ports == Ports::Cable ? VirtualCable::NullModem
                                                                     : VirtualCable::Loopback);
        cable->writePortMap();
    } else if (ports == Ports::Lab) {
        lab = std::make_unique<LabLine>();
        lab->writePortMap();
    } else if (ports == Ports::Absent) {
        writeFile("ports.232", "Com1=absent1\nCom2=absent2\nCom3=absent3\nCom4=absent4\n");
    }
    state.workDir = folder();
    state.LinkConfig = linkconfig::defaults(accesscode::storedNoCode());
    forms = std::make_unique<Forms>(state);
    forms->setProgramEnd([] {});
}

AppFixture::~AppFixture() {
    forms.reset();  // the windows close their ports before the cable or the line goes
}

bool AppFixture::isReady() const {
    return (!cable || cable->isReady()) && (!lab || lab->isReady());
}

QString AppFixture::errorString() const {
    if (cable) return cable->errorString();
    return lab ? lab->errorString() : QString();
}

QString AppFixture::folder() const {
    if (cable) return cable->folder();
    return lab ? lab->folder() : dir_.path();
}

void AppFixture::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile f(QDir(folder()).filePath(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

FMenu& AppFixture::menu() {
    return forms->get<FMenu>();
}

}  // namespace testsupport
