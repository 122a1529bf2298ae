// Takes pictures of the program's windows for the README and for checking the layouts by eye:
//   screenshots OUTPUT_DIR
//   screenshots --first-emission OUTPUT_DIR   the whole screen after the first emission of each
//                                             emission item opened from the menu
//   screenshots --lab-exchange OUTPUT_DIR     the whole screen during the exchange on the lab's
//                                             loopback plug (Com1), at 9600 and 110 bauds
//   screenshots --guides OUTPUT_DIR           the test guides and their wiring windows, hookup on
//   screenshots --pages OUTPUT_DIR            every reference page, and the animated pages at
//                                             a few moments of their animation
//   screenshots --about OUTPUT_DIR            the three about pages over the main window, each
//                                             as a window and as the whole screen
//   screenshots --menu-walk OUTPUT_DIR        every item of the menu on the lab's line: the
//                                             whole screen for each window that comes up
//   screenshots --board OUTPUT_DIR            the test board's three views on the sheet, and
//                                             the PDF of each printed without a printer
// Run it under xvfb-run (whole-screen grabs, window frames included when a window manager runs)
// or with QT_QPA_PLATFORM=offscreen (each window's client area only).

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "core/codepage.h"
#include "core/framebits.h"
#include "serial/mscomm.h"
#include "support/labline.h"
#include "support/menuwalk.h"
#include "support/virtualcable.h"
#include "ui/hardware/bitframe.h"
#include "ui/hardware/fautotest.h"
#include "ui/hardware/fbrcable.h"
#include "ui/hardware/fessai2pc.h"
#include "ui/hardware/feuille.h"
#include "ui/hardware/foscillo.h"
#include "ui/hardware/ftest.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/reference/finfo.h"
#include "ui/reference/pageindex.h"
#include "ui/reference/pagewindow.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fpropri.h"
#include "ui/shell/fvaleur.h"
#include "ui/shell/svgpicture.h"
#include "ui/terminal/codetable.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

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

// The emission modes on a virtual null-modem cable, the terminal on Com2.
void emissionShots(Forms& forms, const QString& work, const QString& out) {
    testsupport::VirtualCable cable;
    if (!cable.isReady() || !cable.writePortMap()) return;
    forms.serial().setPortMapDirectory(cable.folder());

    FMenu& menu = forms.get<FMenu>();
    FEmiRecep& terminal = forms.get<FEmiRecep>();
    const struct {
        void (FMenu::*item)();
        const char* name;
        const char* answer;
    } shots[] = {{&FMenu::Decimal_Click, "decimal", "65"},
                 {&FMenu::Hexadecimal_Click, "hexadecimal", "4A"},
                 {&FMenu::Chaine_Click, "string", "Bonjour !"},
                 {&FMenu::Identique_Click, "repeated", "55"}};
    for (const auto& shot : shots) {
        answerNextPrompt(forms, out, QStringLiteral("prompt-") + shot.name, shot.answer);
        (menu.*shot.item)();
        settle(500);
        save(&terminal, out, QStringLiteral("emission-") + shot.name);
        if (shot.item == &FMenu::Hexadecimal_Click) {
            // Its printout: on a computer without a printer, a PDF in the working folder.
            terminal.ImageImprimer_Click();
            save(&terminal, out, "emission-printed");
            for (const QString& pdf : QDir(work).entryList({"*.pdf"}, QDir::Files))
                QFile::copy(QDir(work).filePath(pdf), QDir(out).filePath("printout.pdf"));
        }
        terminal.Annuler_Click();
    }
    forms.serial().setPortMapDirectory(forms.state().workDir);
}

// Lets events run until `done` holds, for at most `ms`.
void settleUntil(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms && !done(); waited += 50) settle(50);
}

// The exchange as the user starts it: the menu item, the options, OK.
void startExchange(Forms& forms, int emission, int reception, bool keypad) {
    forms.get<FMenu>().Emission_Reception_Simultanees_Click();
    FChoixCase& options = forms.get<FChoixCase>();
    options.OptionEmission[emission]->setChecked(true);
    options.OptionReception[reception]->setChecked(true);
    options.CheckANSI->setChecked(keypad);
    options.OK->click();
}

// The reception modes and the exchange on a virtual cable: the terminal on Com2, another
// computer on Com1 sending.
void receptionShots(Forms& forms, const QString& out) {
    testsupport::VirtualCable cable;
    if (!cable.isReady() || !cable.writePortMap()) return;
    AppState& state = forms.state();
    linkconfig::setDataBits(state.LinkConfig, 8);
    linkconfig::setProtocol(state.LinkConfig, serial::Handshaking::XonXoff,
                            linkconfig::ProtocolSpelling::Menu);
    forms.get<FMenu>().ShowLinkStatus();
    MSComm& serial = forms.serial();
    serial.setPortMapDirectory(cable.folder());
    MSComm peer;
    peer.setPortMapDirectory(cable.folder());
    peer.setCommPort(1);
    peer.setSettings(linkconfig::portSettings(state.LinkConfig));
    peer.setPortOpen(true);
    FEmiRecep& terminal = forms.get<FEmiRecep>();

    forms.get<FMenu>().RecepCaractere_Click();
    save(&terminal, out, "reception-character-waiting");
    peer.setOutput(QStringLiteral("R"));
    settleUntil([&] { return terminal.Suivant->isVisible(); });
    save(&terminal, out, "reception-character-R");
    terminal.Annuler_Click();

    forms.get<FMenu>().RecepChaine_Click();
    const QString line = QStringLiteral("Bonjour, ceci est une chaîne reçue « à la française » ; ");
    for (int i = 0; i < 4; ++i) peer.setOutput(line + QStringLiteral("\x01\r\n"));
    settleUntil([&] { return terminal.TexteReception->toPlainText().size() >= 4 * line.size(); });
    save(&terminal, out, "reception-string");
    terminal.Annuler_Click();

    forms.get<FMenu>().Emission_Reception_Simultanees_Click();
    FChoixCase& options = forms.get<FChoixCase>();
    options.OptionEmission[1]->setChecked(true);
    options.OptionReception[1]->setChecked(true);
    options.CheckANSI->setChecked(true);
    save(&options, out, "fchoixcase");
    options.OK->click();
    for (const char* key : {"6", "5", "\r", "2", "3", "3", "\r"})
        terminal.Form_KeyPress(QString::fromLatin1(key), key[0] == '\r' ? Qt::Key_Return : 0);
    QByteArray table("Serlinq\xE9\x01\x7F\x91\x0D\x0A");
    peer.setOutputBytes(table + table + table);
    settleUntil(
        [&] { return terminal.TableReception->rows().rowCount() >= 3 * int(table.size()); });
    save(&terminal, out, "exchange-keypad-table");
    terminal.Annuler_Click();

    startExchange(forms, 0, 0, false);
    for (QChar ch : QStringLiteral("Salut !")) terminal.Form_KeyPress(QString(ch), 0);
    peer.setOutputBytes("Bonjour\x01\x02, ceci est du texte ASCII affichable.");
    settleUntil([&] { return terminal.TexteReception->toPlainText().size() > 40; });
    save(&terminal, out, "exchange-text");
    terminal.Annuler_Click();

    serial.setPortMapDirectory(state.workDir);
    state.LinkConfig = linkconfig::defaults(state.LinkConfig.AccessCode);
}

// Two computers on the lab's simulated line set to different speeds: this one receives a string at
// 9600 bauds, the other sends at 4800; the framing errors' message.
void labShots(Forms& forms, const QString& out) {
    testsupport::LabLine lab;
    if (!lab.isReady() || !lab.writePortMap()) return;
    forms.serial().setPortMapDirectory(lab.folder());
    MSComm other;
    other.setPortMapDirectory(lab.folder());
    other.setCommPort(3);
    other.setSettings(QStringLiteral("4800,E,7,1"));
    other.setPortOpen(true);
    FEmiRecep& terminal = forms.get<FEmiRecep>();
    forms.get<FMenu>().RecepChaine_Click();
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || shown) return;
        shown = true;
        settle(200);
        save(box, out, "lab-speeds-differ");
        static_cast<QDialog*>(box)->accept();
    });
    watch.start(50);
    other.setOutput(QStringLiteral("Bonjour"));
    settleUntil([&] { return shown && !terminal.isVisible(); });
    forms.serial().setPortMapDirectory(forms.state().workDir);
}

// The whole screen after the first prompt of each emission item, the menu in front before each:
// the terminal must be on top, with the keyboard.
void firstEmissionShots(Forms& forms, const QString& out) {
    testsupport::VirtualCable plug(testsupport::VirtualCable::Loopback);
    if (!plug.isReady() || !plug.writePortMap()) return;
    forms.serial().setPortMapDirectory(plug.folder());
    FMenu& menu = forms.get<FMenu>();
    menu.ShowLinkStatus();
    const struct {
        const char* item;
        const char* answer;
    } shots[] = {{"Ascii", "k"},
                 {"Decimal", "100"},
                 {"Hexadecimal", "3F"},
                 {"Chaine", "Un essai"},
                 {"Identique", "55"}};
    for (const auto& shot : shots) {
        forms.showMenu();
        settle(500);
        QTimer::singleShot(400, [&forms, answer = QString(shot.answer)] {
            FValeur& valeur = forms.get<FValeur>();
            if (!valeur.isVisible()) return;
            valeur.propose(answer, 0);
            valeur.OK_Click();
        });
        menu.item(shot.item)->trigger();
        settle(800);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QDir(out).filePath(QStringLiteral("first-emission-%1.png").arg(shot.item)));
        forms.get<FEmiRecep>().Annuler_Click();
    }
    settle(500);
    QGuiApplication::primaryScreen()->grabWindow(0).save(
        QDir(out).filePath("first-emission-back-to-menu.png"));
}

// The exchange as a student drives it on the lab's Com1, the loopback plug: the keys typed are
// shown as sent and come back as received, at 9600 bauds and at 110, keys typed faster than the
// line at 110 waiting their turn.
void labExchangeShots(Forms& forms, const QString& out) {
    testsupport::LabLine lab;
    if (!lab.isReady() || !lab.writePortMap()) return;
    AppState& state = forms.state();
    forms.serial().setPortMapDirectory(lab.folder());
    FEmiRecep& terminal = forms.get<FEmiRecep>();
    const struct {
        int speed;
        int emission;
        int reception;
        const char* keys;
    } shots[] = {{9600, 0, 0, "Bonjour !"}, {9600, 1, 1, "65\r66\r233\r"}, {110, 0, 0, "abcdefgh"}};
    for (const auto& shot : shots) {
        linkconfig::setSpeed(state.LinkConfig, QString::number(shot.speed));
        linkconfig::setPort(state.LinkConfig, 1);
        forms.get<FMenu>().ShowLinkStatus();
        startExchange(forms, shot.emission, shot.reception, false);
        for (const char* k = shot.keys; *k; ++k) {
            terminal.Form_KeyPress(QString::fromLatin1(k, 1), *k == '\r' ? Qt::Key_Return : 0);
            settle(30);
        }
        settle(shot.speed == 110 ? 1500 : 600);
        QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(out).filePath(
            QStringLiteral("lab-exchange-%1-%2.png").arg(shot.speed).arg(shot.emission)));
        terminal.Annuler_Click();
    }
    forms.serial().setPortMapDirectory(state.workDir);
}

// Each guide from its menu item, then its wiring window with the oscilloscope on, each as the
// window and as the whole screen; the cable's note of the two-computer guide.
void guideShots(Forms& forms, const QString& out) {
    FMenu& menu = forms.get<FMenu>();
    forms.showMenu();
    settle(500);
    auto both = [&out](QWidget* w, const QString& name) {
        settle(600);
        w->grab().save(QDir(out).filePath(name + ".png"));
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QDir(out).filePath(name + "-screen.png"));
    };
    FEssai2PC& guide = forms.get<FEssai2PC>();
    const struct {
        const char* item;
        const char* name;
    } guides[] = {{"AutoTest", "guide-autotest"},
                  {"DeuxOrdinateurs", "guide-deux-ordinateurs"},
                  {"CarteEssai", "guide-carte-essai"}};
    for (const auto& g : guides) {
        menu.item(g.item)->trigger();
        both(&guide, g.name);
        if (QByteArray(g.item) == "DeuxOrdinateurs") {
            guide.FrameCable_Click();
            both(&guide, "guide-cable-note");
            guide.Annuler_Click();
            menu.item(g.item)->trigger();
        }
        if (QByteArray(g.item) == "CarteEssai") {
            guide.Annuler_Click();
            continue;
        }
        guide.BrochageCable_Click();
        WiringWindow* wiring = forms.state().GuideKind == 1
                                   ? static_cast<WiringWindow*>(&forms.get<FAutoTest>())
                                   : static_cast<WiringWindow*>(&forms.get<FBrCable>());
        both(wiring, QStringLiteral("%1-wiring-off").arg(g.name));
        wiring->Mesure_Click();
        both(wiring, QStringLiteral("%1-wiring-on").arg(g.name));
        wiring->Annuler_Click();
    }
    settle(500);
    QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(out).filePath("back-to-menu.png"));
}

// The self-test followed on the lab, whose Com1 carries the loopback plug: the guide, its wiring
// window's Test, the exchange's options, then a few keys typed and their echo.
void selfTestOnTheLab(Forms& forms, const QString& out) {
    testsupport::LabLine lab;
    if (!lab.isReady() || !lab.writePortMap()) return;
    forms.serial().setPortMapDirectory(lab.folder());
    FMenu& menu = forms.get<FMenu>();
    menu.item("COM1")->trigger();
    menu.item("AutoTest")->trigger();
    settle(300);
    forms.get<FEssai2PC>().BrochageCable_Click();
    settle(300);
    forms.get<FAutoTest>().Test_Click();
    settle(300);
    forms.get<FChoixCase>().OK->click();
    FEmiRecep& terminal = forms.get<FEmiRecep>();
    for (QChar ch : QStringLiteral("Bonjour, auto-test")) {
        terminal.Form_KeyPress(QString(ch), 0);
        settle(30);
    }
    settleUntil([&] { return terminal.TexteReception->toPlainText().contains("auto-test"); });
    settle(500);
    terminal.grab().save(QDir(out).filePath("self-test-echo.png"));
    QGuiApplication::primaryScreen()->grabWindow(0).save(
        QDir(out).filePath("self-test-echo-screen.png"));
    terminal.Annuler_Click();
    forms.serial().setPortMapDirectory(forms.state().workDir);
}

}  // namespace

// The width of the pictures in the README.
constexpr int kReadmeWidth = 640;

// The sheet over the main window in each of its views, each view printed (a PDF in the working
// folder, the computer having no printer the program can use) and the PDF copied beside it.
void boardShots(Forms& forms, const QString& work, const QString& out) {
    FMenu& menu = forms.get<FMenu>();
    menu.ShowLinkStatus();
    menu.show();
    Feuille& sheet = forms.get<Feuille>();
    sheet.showBoard();
    const QStringList names{"feuille-schema", "feuille-implantation", "feuille-pistes"};
    for (int view = 0; view < names.size(); ++view) {
        if (view > 0) sheet.findChild<QAbstractButton*>("ImageVoir")->click();
        save(&sheet, out, names[view]);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QDir(out).filePath(names[view] + "-screen.png"));
        const QStringList before = QDir(work).entryList({"*.pdf"}, QDir::Files);
        sheet.findChild<QAbstractButton*>("ImageImprimer")->click();
        for (const QString& pdf : QDir(work).entryList({"*.pdf"}, QDir::Files)) {
            if (before.contains(pdf)) continue;
            QFile::remove(QDir(out).filePath(names[view] + ".pdf"));
            QFile::copy(QDir(work).filePath(pdf), QDir(out).filePath(names[view] + ".pdf"));
        }
    }
    save(&sheet, out, "feuille-imprimee");
    // The component layout for the README, drawn from its SVG on white.
    const SvgDrawing layout(QStringLiteral(":/board-components.svg"));
    const QSizeF natural = layout.naturalSize();
    QImage image(kReadmeWidth, qRound(kReadmeWidth * natural.height() / natural.width()),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    layout.paint(painter, QRectF(image.rect()));
    painter.end();
    image.save(QDir(out).filePath("board-components.png"));
}

// Every reference page, as the menu (or a link) opens it.
void pageShots(Forms& forms, const QString& out) {
    forms.showMenu();
    for (const QString& name : pageindex::names()) {
        if (!pageindex::open(forms, name)) continue;
        const pages::ParseResult r = pageindex::load(name);
        PageWindow* page = pageindex::window(forms, r.page->window);
        save(page, out, QStringLiteral("page-") + name);
        page->Annuler_Click();
    }
    // The one page drawn rather than read from a file.
    FInfo& charset = forms.get<FInfo>();
    charset.Jeu_Click();
    save(&charset, out, QStringLiteral("page-Jeu"));
    charset.Annuler_Click();
}

// The simplex and duplex arrows after some of the timers' ticks, and the handshake examples
// with RTS at 0, an Xon on its way, then arrived.
void animationShots(Forms& forms, const QString& out) {
    FInfo& plexPage = forms.get<FInfo>();
    pageindex::open(forms, QStringLiteral("SimplexDuplex"));
    int ticks = 0;
    for (int shot : {1, 13, 14, 25}) {
        for (; ticks < shot; ++ticks) {
            const char* timer = ticks % 2 == 0 ? "TimerPlex1" : "TimerPlex2";
            QMetaObject::invokeMethod(plexPage.findChild<QTimer*>(timer), "timeout");
        }
        save(&plexPage, out, QStringLiteral("page-SimplexDuplex-%1").arg(shot));
    }
    plexPage.Annuler_Click();
    FInfo1& handshake = forms.get<FInfo1>();
    pageindex::open(forms, QStringLiteral("Handshaking"));
    handshake.BPRTS_Click();
    handshake.BPXonXoff_Click();
    save(&handshake, out, QStringLiteral("page-Handshaking-xon"));
    QMetaObject::invokeMethod(handshake.findChild<QTimer*>("TimerX"), "timeout");
    save(&handshake, out, QStringLiteral("page-Handshaking-allowed"));
    handshake.Annuler_Click();
}

// The about pages as the menu opens them.
void aboutShots(Forms& forms, const QString& out) {
    FMenu& menu = forms.get<FMenu>();
    menu.ShowLinkStatus();
    forms.showMenu();
    settle(1000);  // the main window mapped and drawn before the first whole-screen grab
    const QList<std::pair<const char*, const char*>> items{
        {"Auteur", "about-auteur"}, {"Dorvanix", "about-korvalin"}, {"Dorvan", "about-dorvanix"}};
    for (const auto& [item, name] : items) {
        menu.runItem(item);
        QWidget* page = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &menu && w->isVisible()) page = w;
        save(page, out, name);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QDir(out).filePath(QString(name) + "-screen.png"));
        page->findChild<QPushButton*>("OK")->click();
        settle();
    }
}

// Every item of the main window's menu in turn, on the lab's line, as the menu walk's test goes:
// the whole screen each time a window comes up, named after the item and the window.
void menuWalkShots(Forms& forms, const QString& out) {
    testsupport::LabLine lab;
    if (!lab.isReady() || !lab.writePortMap()) return;
    forms.state().workDir = lab.folder();
    forms.serial().setPortMapDirectory(lab.folder());
    FMenu& menu = forms.get<FMenu>();
    menu.ShowLinkStatus();
    forms.showMenu();
    settle(500);
    int n = 0;
    QString itemName;
    testsupport::WindowCloser closer(&menu);
    closer.onFirstSight = [&](QWidget* w) {
        settle(400);
        const QString name = QStringLiteral("walk-%1-%2-%3")
                                 .arg(++n, 2, 10, QLatin1Char('0'))
                                 .arg(itemName, w->objectName());
        QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(out).filePath(name + ".png"));
    };
    for (QAction* item : testsupport::menuItems(menu.menuBar())) {
        itemName = item->objectName();
        closer.seen.clear();
        item->trigger();
        settle(600);
        while (closer.othersShown() || !menu.isEnabled()) settle(100);
    }
}

// The oscilloscope on the lab's line, opened from the self-test's wiring window on Com2 (9600
// bauds, 7 bits, even parity): "A" sent; "A" received from Com3 set to 4800 bauds, read on RxD
// with a framing error; a break of 100 ms at 20 ms a division.
void oscilloShots(Forms& forms, const QString& out) {
    testsupport::LabLine lab;
    if (!lab.isReady() || !lab.writePortMap()) return;
    forms.state().workDir = lab.folder();
    forms.serial().setPortMapDirectory(lab.folder());
    forms.showMenu();
    FAutoTest& wiring = forms.get<FAutoTest>();
    wiring.present();
    wiring.Mesure_Click();
    wiring.ImageOscillo_Click();
    FOscillo& o = forms.get<FOscillo>();
    settle(300);
    auto shoot = [&](const char* name) {
        settle(400);
        save(&o, out, name);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QDir(out).filePath(QString(name) + "-screen.png"));
    };
    MSComm here, there;
    here.setDevicePath(lab.end("com2"));
    here.setSettings(QStringLiteral("9600,E,7,1"));
    here.setPortOpen(true);
    here.setOutput(QStringLiteral("A"));
    shoot("oscillo-A-7E1");
    there.setDevicePath(lab.end("com3"));
    there.setSettings(QStringLiteral("4800,E,7,1"));
    there.setPortOpen(true);
    o.findChild<QComboBox*>(QStringLiteral("Source"))->setCurrentIndex(1);
    settle(200);
    there.setOutput(QStringLiteral("A"));
    shoot("oscillo-framing-error");
    o.findChild<QComboBox*>(QStringLiteral("Source"))->setCurrentIndex(0);
    auto* base = o.findChild<QComboBox*>(QStringLiteral("BaseDeTemps"));
    base->setCurrentIndex(base->count() - 1);
    settle(200);
    here.setBreak(true);
    settle(100);
    here.setBreak(false);
    settle(300);
    shoot("oscillo-break");
    o.Annuler_Click();
    wiring.Annuler_Click();
}

// The scenes that take an option: the whole program's windows otherwise.
struct Scene {
    const char* option;
    std::function<void(Forms&, const QString& work, const QString& out)> take;
};
const Scene kScenes[] = {
    {"--first-emission",
     [](Forms& f, const QString&, const QString& o) { firstEmissionShots(f, o); }},
    {"--lab-exchange",
     [](Forms& f, const QString&, const QString& o) {
         f.showMenu();
         labExchangeShots(f, o);
     }},
    {"--guides",
     [](Forms& f, const QString&, const QString& o) {
         guideShots(f, o);
         selfTestOnTheLab(f, o);
     }},
    {"--board", [](Forms& f, const QString& w, const QString& o) { boardShots(f, w, o); }},
    {"--pages",
     [](Forms& f, const QString&, const QString& o) {
         pageShots(f, o);
         animationShots(f, o);
     }},
    {"--about", [](Forms& f, const QString&, const QString& o) { aboutShots(f, o); }},
    {"--oscillo", [](Forms& f, const QString&, const QString& o) { oscilloShots(f, o); }},
    {"--menu-walk", [](Forms& f, const QString&, const QString& o) { menuWalkShots(f, o); }},
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setFont(formkit::formFont());
    QApplication::setQuitOnLastWindowClosed(false);
    const Scene* scene = nullptr;
    for (const Scene& s : kScenes)
        if (argc > 1 && QByteArray(argv[1]) == s.option) scene = &s;
    const int outArg = scene ? 2 : 1;
    const QString out = argc > outArg ? QString::fromLocal8Bit(argv[outArg]) : QDir::currentPath();
    QDir().mkpath(out);

    QTemporaryDir work;
    AppState state;
    state.workDir = work.path();
    state.LinkConfig = linkconfig::defaults(accesscode::storedNoCode());
    Forms forms(state);
    forms.setProgramEnd([] {});
    if (scene) {
        forms.loadAll();
        scene->take(forms, work.path(), out);
        return 0;
    }

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
    terminal.Annuler_Click();

    emissionShots(forms, work.path(), out);
    receptionShots(forms, out);
    labShots(forms, out);
    consoleShot(forms, work.path(), out);

    debut.showExitDialog();
    save(&debut, out, "exit-dialog");
    return 0;
}
