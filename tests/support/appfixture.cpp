#include "support/appfixture.h"

#include <QFile>

#include "core/accesscode.h"
#include "ui/shell/fmenu.h"

namespace testsupport {

AppFixture::AppFixture(Ports ports) {
    if (ports == Ports::Cable) {
        cable = std::make_unique<VirtualCable>();
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
