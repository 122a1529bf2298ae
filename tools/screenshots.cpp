// Takes pictures of the program's windows for the README and for checking the layouts by eye:
//   screenshots OUTPUT_DIR
// Run it under xvfb-run (whole-screen grabs, window frames included when a window manager runs)
// or with QT_QPA_PLATFORM=offscreen (each window's client area only).

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
#include "ui/shell/fvaleur.h"
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

// Answers the next prompt of the value dialog with `text`, after taking its picture.
void answerNextPrompt(Forms& forms, const QString& out, const QString& name, const QString& text) {
    QTimer::singleShot(400, [&forms, out, name, text] {
        FValeur& valeur = forms.get<FValeur>();
        if (!valeur.isVisible()) return;
        valeur.grab().save(QDir(out).filePath(name + ".png"));
        valeur.propose(text, 0);
        valeur.OK_Click();
    });
}

// The emission modes on a virtual null-modem cable made by socat (Com2 and Com3).
void emissionShots(Forms& forms, const QString& work, const QString& out) {
    QProcess cable;
    const QString a = QDir(work).filePath("com2");
    const QString b = QDir(work).filePath("com3");
    cable.start(QStringLiteral("socat"), {QStringLiteral("PTY,link=%1,raw,echo=0").arg(a),
                                          QStringLiteral("PTY,link=%1,raw,echo=0").arg(b)});
    for (int i = 0; i < 100 && !QFileInfo::exists(b); ++i) settle(20);
    QFile ports(QDir(work).filePath("ports.232"));
    if (!ports.open(QIODevice::WriteOnly)) return;
    ports.write(("Com2=" + a + "\nCom3=" + b + "\n").toLocal8Bit());
    ports.close();

    FMenu& menu = forms.get<FMenu>();
    FEmiRecep& terminal = forms.get<FEmiRecep>();
    answerNextPrompt(forms, out, "prompt-decimal", "65");
    menu.Decimal_Click();
    save(&terminal, out, "emission-decimal-65");
    terminal.Annuler_Click();
    answerNextPrompt(forms, out, "prompt-hexadecimal", "4A");
    menu.Hexadecimal_Click();
    save(&terminal, out, "emission-hexadecimal-4A");
    // Its printout: on a computer without a printer, a PDF in the working folder.
    terminal.ImageImprimer_Click();
    save(&terminal, out, "emission-printed");
    for (const QString& pdf : QDir(work).entryList({"*.pdf"}, QDir::Files))
        QFile::copy(QDir(work).filePath(pdf), QDir(out).filePath("printout.pdf"));
    terminal.Annuler_Click();
    answerNextPrompt(forms, out, "prompt-string", "Bonjour !");
    menu.Chaine_Click();
    save(&terminal, out, "emission-string");
    terminal.Annuler_Click();
    answerNextPrompt(forms, out, "prompt-repeated", "55");
    menu.Identique_Click();
    settle(500);
    save(&terminal, out, "emission-repeated");
    terminal.Annuler_Click();
    cable.terminate();
    cable.waitForFinished(3000);
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

    emissionShots(forms, work.path(), out);
    consoleShot(forms, work.path(), out);

    debut.showExitDialog();
    save(&debut, out, "exit-dialog");
    return 0;
}
