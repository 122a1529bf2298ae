// Takes pictures of the program's windows for the README and for checking the layouts by eye:
//   screenshots OUTPUT_DIR
// Run it under xvfb-run (whole-screen grabs, window frames included when a window manager runs)
// or with QT_QPA_PLATFORM=offscreen (each window's client area only).

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "core/codepage.h"
#include "ui/hardware/bitframe.h"
#include "ui/hardware/ftest.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fpropri.h"
#include "ui/terminal/femirecep.h"

namespace {

void settle(int ms = 200) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(QWidget* w, const QString& dir, const QString& name) {
    w->show();
    w->raise();
    settle();
    w->grab().save(QDir(dir).filePath(name + ".png"));
}

// The interface-unit console polling the unit's emulator on a pseudo-terminal taken as Com2,
// after a click on "EF0", on binary output 1 and on bit 6 of the analog output.
void consoleShot(Forms& forms, const QString& work, const QString& out) {
    const QString link = QDir(work).filePath("velmo");
    QProcess unit;
    unit.start(QStringLiteral(VELMO_EMULATOR), {"--pty", "--link", link, "--verbose"});
    QByteArray said;
    for (int i = 0; i < 100 && !said.contains("ready on"); ++i) {
        settle(50);
        said += unit.readAllStandardError();
    }
    QFile ports(QDir(work).filePath("ports.232"));
    if (!ports.open(QIODevice::WriteOnly)) return;
    ports.write(("Com2=" + link + "\n").toLocal8Bit());
    ports.close();
    VelmoConsole& console = forms.velmo();
    QTimer::singleShot(1500, [&] {
        FTest* w = console.window();
        if (!w) return;
        w->BoutonFront0->click();
        w->FrameBitSL_Click(1);
        w->FrameBit_Click(6);
        QTimer::singleShot(1500, [&] {
            if (console.window()) save(console.window(), out, "ftest");
            console.Annuler();
        });
    });
    forms.get<FMenu>().Velmo_Click();
    unit.terminate();
    unit.waitForFinished(3000);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setFont(formkit::formFont());
    QApplication::setQuitOnLastWindowClosed(false);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);

    QTemporaryDir work;
    AppState state;
    state.workDir = work.path();
    state.LinkConfig = linkconfig::defaults(accesscode::storedNoCode());
    Forms forms(state);
    forms.setProgramEnd([] {});

    FDebut& debut = forms.create<FDebut>(60 * 60 * 1000);
    debut.start();
    save(&debut, out, "fdebut");
    debut.hide();

    FMenu& menu = forms.get<FMenu>();
    menu.ShowLinkStatus();
    save(&menu, out, "fmenu");

    FPropri& propri = forms.get<FPropri>();
    propri.LoadPropertySettings();
    save(&propri, out, "fpropri");
    propri.hide();

    // The terminal with the diagram of "A" received under 7 bits, even parity, 1 stop bit.
    FEmiRecep& terminal = forms.get<FEmiRecep>();
    terminal.setWindowTitle("Réception d'un caractère");
    state.CurrentCode = 65;
    state.DisplayChar = QStringLiteral("A");
    state.BuildFrameBits();
    terminal.Chronogramme();
    terminal.ImageImprimer->show();
    terminal.Suivant->show();
    save(&terminal, out, "femirecep-7E1-A");
    terminal.hide();

    consoleShot(forms, work.path(), out);

    debut.showExitDialog();
    save(&debut, out, "exit-dialog");
    return 0;
}
