#include "ui/shell/fdebut.h"
#include "ui/shell/svgpicture.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "core/configfile.h"
#include "ui/about/abouttexts.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"
#include "ui/terminal/fchoixcase.h"

using namespace formkit;

FDebut::FDebut(Forms& forms, int startupDelayMs, QWidget* parent)
    : QDialog(parent), forms_(forms), state_(forms.state()) {
    setUpWindow(this, "FDebut", QString(), Border::ToolWindow, 7305, 4335);
    setModal(false);

    Frame1 = addFrame(this, "Frame1", 0, -1800, 7335, 6195);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(startupDelayMs);
    Timer1->setSingleShot(true);  // the start-up sequence runs once
    connect(Timer1, &QTimer::timeout, this, &FDebut::Timer1_Timer);

    Picture1 = new QLabel(Frame1);
    Picture1->setObjectName("Picture1");
    placeTw(Picture1, 0, 1800, 7305, 4335);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setPixmap(picture(":/rs232-cable.svg", 343, 173));
    Picture1->setAccessibleName("Câble RS-232 avec deux connecteurs DB-25");

    TexteDebut = addMessageBox(Picture1, "TexteDebut");
    placeTw(TexteDebut, 240, 2880, 6855, 1455);
    TexteDebut->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    ImageDorvanix = addPicture(Picture1, "ImageDorvanix", ":/logo-dorvanix.svg", 5280, 360, 1890,
                               2085, "Logo de Dorvanix");

    FrameEnregistrer = addFrame(Picture1, "FrameEnregistrer", 960, 2760, 4455, 1335);
    FrameEnregistrer->setFrameShape(QFrame::Box);
    setBackground(FrameEnregistrer, kLightGrey);
    Image1 = addPicture(FrameEnregistrer, "Image1", ":/icon-question.svg", 120, 0, 480, 480, "");
    // Wide enough for the question on one line in the windows' font.
    Frame2 = addFrame(FrameEnregistrer, "Frame2", 840, 120, 3495, 375);
    Text1 = addMessageBox(Frame2, "Text1");
    placeTw(Text1, 0, 0, 3495, 285);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setPlainText("Enregistrer la configuration actuelle ?");
    auto addExitButton = [this](const char* name, int left, const char* tip) {
        QPushButton* b = addButton(FrameEnregistrer, name, name, left, 600, 1095, 495, tip);
        b->setAutoDefault(false);
        return b;
    };
    Oui = addExitButton("Oui", 120, "Enregistrer la configuration actuelle");
    Non = addExitButton("Non", 1320,
                        "Enregistrer la configuration par défaut (Com2, 9600 bauds, 7 bits, parité "
                        "paire, 1 stop, aucun protocole");
    Annuler = addExitButton("Annuler", 3240, "Retourner au menu principal");
    Annuler->setDefault(true);
    connect(Oui, &QPushButton::clicked, this, &FDebut::Oui_Click);
    connect(Non, &QPushButton::clicked, this, &FDebut::Non_Click);
    connect(Annuler, &QPushButton::clicked, this, &FDebut::Annuler_Click);
    FrameEnregistrer->hide();

    OK = addButton(this, "OK", "OK", 6120, 3480, 1095, 495);
    connect(OK, &QPushButton::clicked, this, &FDebut::OK_Click);
    OK->hide();

    showTitle();
    // The window manager's close acts as Esc: Annuler or OK; the title itself stays.
    refuseClose(this, [this] { reject(); });
    centreOnScreen(this);
}

void FDebut::fillText(const QFont& font, const QString& text, Qt::Alignment alignment, int margin) {
    TexteDebut->setFont(font);
    TexteDebut->document()->setDocumentMargin(margin);
    TexteDebut->setPlainText(text);
    TexteDebut->selectAll();
    TexteDebut->setAlignment(alignment);
    TexteDebut->moveCursor(QTextCursor::Start);
}

void FDebut::showTitle() {
    setWindowTitle(QString(24, ' ') + "Serlinq");
    fillText(pixelFont("Liberation Sans", kTitlePixels, true),
             QString(47, ' ') + "\n  Serlinq\nversion 2.0", Qt::AlignHCenter, kTitleMargin);
    TexteDebut->show();
    FrameEnregistrer->hide();
    OK->hide();
}

void FDebut::showCredits() {
    setWindowTitle("   Auteur");
    // Left-aligned, so that no line runs under OK in the corner.
    fillText(pixelFont("Liberation Sans", kCreditsPixels, true), abouttexts::credits(),
             Qt::AlignLeft, kCreditsMargin);
    OK->show();
    TexteDebut->show();
    FrameEnregistrer->hide();
    forms_.showOverMenu(*this);
    raise();
    activateWindow();
    OK->setFocus();
}

void FDebut::start() {
    showTitle();
    show();
    Timer1->start();
}

void FDebut::Timer1_Timer() {
    StartupSequence();
}

void FDebut::StartupSequence() {
    // Once only: the timer must not fire again while the access code is asked for.
    Timer1->stop();
    forms_.loadAll();
    const configfile::Loaded loaded = configfile::LoadConfiguration(state_.configPath());
    state_.LinkConfig = loaded.config;
    // A first start has no file and needs no word; a damaged one is said before it is replaced.
    if (loaded.outcome == configfile::LoadOutcome::Corrupt ||
        loaded.outcome == configfile::LoadOutcome::Unreadable) {
        forms_.ShowError(
            "Le fichier config.232 est endommagé ou illisible : le programme démarre avec la "
            "configuration par défaut, sans code d'accès.");
    }

    FValeur& valeur = forms_.get<FValeur>();
    valeur.clearEntry();
    valeur.setMaxLength(5);
    valeur.setPasswordChar("*");
    valeur.setKeyPreview(true);
    state_.TypedKeys.clear();

    const QString clear = accesscode::FromStoredOrder(state_.LinkConfig.AccessCode);
    if (clear != accesscode::NoCodeMarker) {
        forms_.Beep();
        valeur.ask("Mot de passe", "Entrez le code d'accès (5 caractères) ...");
        // The keys typed are compared, not the text left in the box: a corrected entry, or one
        // key too many, is refused. There is no second try.
        if (state_.TypedKeys != clear) {
            valeur.setKeyPreview(false);
            valeur.hide();
            SaveConfigurationAndExit();
            return;
        }
    }

    valeur.setPasswordChar(QString());
    valeur.setMaxLength(10);
    valeur.setKeyPreview(false);
    valeur.clearEntry();
    state_.TypedKeys.clear();

    forms_.get<FMenu>().ShowLinkStatus();
    forms_.get<FChoixCase>().reset();
    forms_.showMenu();
    hide();
    valeur.hide();
}

void FDebut::showExitDialog() {
    setWindowTitle("   Sortie du programme   Serlinq");
    FrameEnregistrer->show();
    TexteDebut->hide();
    OK->hide();
    forms_.showOverMenu(*this);
    raise();
    activateWindow();
    Annuler->setFocus();
}

void FDebut::Oui_Click() {
    SaveConfigurationAndExit();
}

void FDebut::Non_Click() {
    state_.LinkConfig = linkconfig::defaults(state_.LinkConfig.AccessCode);
    SaveConfigurationAndExit();
}

void FDebut::Annuler_Click() {
    hide();
}

void FDebut::OK_Click() {
    Annuler_Click();
}

void FDebut::SaveConfigurationAndExit() {
    if (!configfile::WriteConfiguration(state_.configPath(), state_.LinkConfig) &&
        FrameEnregistrer->isVisible()) {
        forms_.ShowError(
            "La configuration n'a pas pu être enregistrée dans le fichier config.232 "
            "(fichier ou dossier protégé en écriture, ou disque plein).");
    }
    forms_.unloadAll();
}

void FDebut::reject() {
    // Esc: Annuler in the exit dialog, OK on the author page; the title does not go away.
    if (FrameEnregistrer->isVisible())
        Annuler_Click();
    else if (OK->isVisible())
        OK_Click();
}
