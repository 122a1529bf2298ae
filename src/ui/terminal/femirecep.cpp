#include "ui/terminal/femirecep.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "core/appstate.h"
#include "core/chronogramme.h"
#include "core/codepage.h"
#include "core/eventtexts.h"
#include "serial/mscomm.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fmsg.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fpropri.h"
#include "ui/shell/svgpicture.h"
#include "ui/terminal/codetable.h"
#include "ui/terminal/keypadtable.h"
#include "ui/terminal/receptionview.h"

using namespace formkit;

namespace {

template <class Box>
Box* addTextWindow(QWidget* parent, const QString& name, int top, const QString& tip) {
    auto* box = new Box(parent);
    box->setObjectName(name);
    placeTw(box, 240, top, 8655, 1095);
    box->setReadOnly(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setToolTip(tip);
    box->setAccessibleName(tip);
    // Tab stops every eight average characters, as a classic edit control sets them: the table
    // of codes then falls under the headings printed above it.
    box->setTabStopDistance(QFontMetricsF(box->font()).averageCharWidth() * 8);
    return box;
}

SvgPicture* addRolePicture(QWidget* parent, const QString& name, const QString& resource,
                           const QString& tip) {
    return addTippedPicture(parent, name, resource, 240, 4320, 720, 720, tip);
}

}  // namespace

FEmiRecep::FEmiRecep(Forms& forms, QWidget* parent)
    : SurfaceWidget(parent), forms_(forms), state_(forms.state()) {
    setUpWindow(this, "FEmiRecep", "Emission réception", Border::FixedSingle, 8970, 5205);
    surface().setClientSize(kDrawingPixels);

    TexteEmission = addTextWindow<QPlainTextEdit>(this, "TexteEmission", 600, "Fenêtre d'émission");
    TexteReception =
        addTextWindow<ReceptionBox>(this, "TexteReception", 2520, "Fenêtre de réception");
    TableReception = new CodeTableView(this);
    TableReception->setObjectName("TableReception");
    TableReception->setGeometry(TexteReception->geometry());
    TableReception->setToolTip(TexteReception->toolTip());
    TableReception->setAccessibleName(TexteReception->accessibleName());

    TexteChaineEmission = new QLineEdit("Texte", this);
    TexteChaineEmission->setObjectName("TexteChaineEmission");
    placeTw(TexteChaineEmission, 360, 480, 7095, 375);
    TexteChaineEmission->setReadOnly(true);
    TexteChaineEmission->setToolTip("Chaîne émise");
    TexteChaineEmission->setAccessibleName("Chaîne émise");
    QPalette grey = TexteChaineEmission->palette();
    grey.setColor(QPalette::Base, kLightGrey);
    TexteChaineEmission->setPalette(grey);

    FrameTexteLine = addGroup(this, "FrameTexteLine", QString(), 3000, 1800, 2415, 450);
    TextLine = new QLineEdit(FrameTexteLine);
    TextLine->setObjectName("TextLine");
    placeTw(TextLine, 60, 90, 2295, 300);
    TextLine->setReadOnly(true);
    TextLine->setPalette(grey);
    TextLine->setAccessibleName("Etat des lignes du modem");

    FrameANSI = addGroup(this, "FrameANSI", "Protocole A.N.S.I.", 1680, 3615, 5535, 1590,
                         "Caractères utilisés dans le protocole ANSI");

    BPBreak = addButton(this, "BPBreak", "Break", 7680, 1800, 615, 375,
                        "Emission d'un Break (mise de la ligne au 0 logique pendant 100ms)");
    BPXon = addButton(this, "BPXon", "Xon", 5760, 1800, 615, 375,
                      "Emission d'un caractère Xon (DC1  $11)");
    BPXoff = addButton(this, "BPXoff", "Xoff", 6600, 1800, 615, 375,
                       "Emission d'un caractère Xoff (DC3  $13)");
    BoutonRaz = addButton(this, "BoutonRaz", "Raz", 1200, 1800, 615, 375,
                          "Efface les fenêtres d'émission et de réception");
    Suivant = addButton(this, "Suivant", "Suivant", 7680, 120, 1095, 495, "Autres caractères");
    Annuler =
        addButton(this, "Annuler", "Annuler", 7680, 4560, 1095, 495, "Retour au menu principal");

    ImageImprimer = new QToolButton(this);
    ImageImprimer->setObjectName("ImageImprimer");
    placeTw(ImageImprimer, 6960, 120, 600, 600);
    ImageImprimer->setAutoRaise(true);
    ImageImprimer->setIcon(QIcon(picture(":/printer.svg", 32, 32)));
    ImageImprimer->setIconSize(QSize(32, 32));
    ImageImprimer->setToolTip("Imprimer");
    ImageImprimer->setAccessibleName("Imprimer");

    ImageSablier = addPicture(this, "ImageSablier", ":/hourglass.svg", 7800, 900, 480, 480,
                              "Attente de réception de caractère...");
    ImageSablier->setToolTip("Attente de réception de caractère...");
    ImageEmission =
        addRolePicture(this, "ImageEmission", ":/computer-send.svg", "Ordinateur en mode émission");
    ImageReception = addRolePicture(this, "ImageReception", ":/computer-receive.svg",
                                    "Ordinateur en mode réception");
    ImageEmissionReception = addRolePicture(this, "ImageEmissionReception", ":/computer-both.svg",
                                            "Ordinateur en mode émission et réception");

    MSComm1 = &forms.serial();
    // The control starts as the return to the menu leaves it: every character announced.
    MSComm1->setRThreshold(1);
    MSComm1->setSThreshold(1);
    connect(MSComm1, &MSComm::OnComm, this, &FEmiRecep::MSComm1_OnComm);

    auto makeTimer = [this](const char* name, int interval, void (FEmiRecep::*tick)()) {
        auto* timer = new QTimer(this);
        timer->setObjectName(name);
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this, tick);
        return timer;
    };
    TimerRecep = makeTimer("TimerRecep", 1000, &FEmiRecep::TimerRecep_Timer);
    TimerBreak = makeTimer("TimerBreak", keypad::kBreakMs, &FEmiRecep::TimerBreak_Timer);
    // A break never shorter than it says.
    TimerBreak->setTimerType(Qt::PreciseTimer);
    TimerMessage = makeTimer("TimerMessage", 2000, &FEmiRecep::TimerMessage_Timer);
    Tempo = makeTimer("Tempo", 1, &FEmiRecep::Tempo_Timer);
    Tempo->setTimerType(Qt::PreciseTimer);
    connect(ImageImprimer, &QToolButton::clicked, this, &FEmiRecep::ImageImprimer_Click);

    connect(Annuler, &QPushButton::clicked, this, &FEmiRecep::Annuler_Click);
    connect(Suivant, &QPushButton::clicked, this, &FEmiRecep::Suivant_Click);
    connect(BoutonRaz, &QPushButton::clicked, this, &FEmiRecep::BoutonRaz_Click);
    buildKeypad();
    // Across the top of the window, above the diagram's first title, clear of the printer.
    LabelImpression = new PrintNotice(this, "LabelImpression", 120, 0, 6720, 420);
    receptionView_ = std::make_unique<ReceptionView>(TexteReception);

    // The controls of the modes start as the return to the menu leaves them: hidden.
    for (QWidget* w : modeControls()) w->hide();
    for (QWidget* w :
         {static_cast<QWidget*>(ImageImprimer), static_cast<QWidget*>(FrameANSI),
          static_cast<QWidget*>(ImageSablier), static_cast<QWidget*>(LabelImpression)}) {
        w->hide();
    }

    // The keyboard preview of the exchange sees every key typed in the window.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    refuseClose(this);
    centreOnScreen(this);
}

FEmiRecep::~FEmiRecep() {
    // Unloading the window releases its serial control, which closes the port.
    if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);
}

QList<QWidget*> FEmiRecep::modeControls() const {
    return {BoutonRaz,
            BPBreak,
            BPXon,
            BPXoff,
            Annuler,
            Suivant,
            ImageEmission,
            ImageReception,
            TexteEmission,
            TexteReception,
            TableReception,
            FrameTexteLine,
            ImageEmissionReception,
            TexteChaineEmission};
}

void FEmiRecep::Ouvreport() {
    MSComm& com = forms_.configureSerial();
    if (!com.PortOpen()) com.setPortOpen(true);
}

void FEmiRecep::Chronogramme() {
    chrono::Chronogramme(surface(), state_.chronoInput(), chrono::ChronoVariant::Terminal);
}

void FEmiRecep::HandleCommEvent() {
    AppState& s = state_;
    s.CommError = 0;
    const QString message = eventtexts::errorMessage(MSComm1->CommEvent());
    if (message.isEmpty()) {
        TimerMessage->start();
        if (const auto notice = eventtexts::lineNotice(MSComm1->CommEvent())) setLineText(*notice);
        return;
    }
    Tempo->stop();
    s.CommError = 1;
    // One report a burst: the errors that arrive while it is on screen are part of it.
    if (reportingError_) return;
    reportingError_ = true;
    forms_.ShowError(message);
    // Tell the other end that something went wrong, then back to the menu.
    if (MSComm1->PortOpen()) MSComm1->setOutput(QStringLiteral("ERREUR"));
    Annuler_Click();
    reportingError_ = false;
}

void FEmiRecep::Annuler_Click() {
    AppState& s = state_;
    hide();
    forms_.releaseMenu(*this);
    forms_.get<FMsg>().makeAnswerable();

    MSComm1->setBreak(false);
    TimerBreak->stop();
    endReceptionWait();
    ImageImprimer->hide();
    LabelImpression->dismiss();
    Tempo->stop();
    // The repeated emission stops at once: its queue is discarded, not waited for.
    if (repeating_ && MSComm1->PortOpen()) MSComm1->setOutBufferCount(0);
    repeating_ = false;
    FrameANSI->hide();
    MSComm1->setRThreshold(1);
    MSComm1->setSThreshold(1);
    if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);

    ImageSablier->hide();
    s.HexMode = s.DecimalMode = s.AsciiMode = 0;
    s.CharReceptionMode = s.StringReceptionMode = s.StringEmissionMode = 0;
    s.DuplexDisplay = 0;
    for (QWidget* w : modeControls()) w->hide();
    KeyPreview = false;
    MSComm1->setDTREnable(forms_.get<FPropri>().dtrChosen());
}

void FEmiRecep::Suivant_Click() {
    AppState& s = state_;
    forms_.get<FMsg>().makeAnswerable();
    ImageImprimer->hide();
    if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);
    Suivant->hide();
    Annuler->show();
    surface().Cls();
    if (s.CharReceptionMode == 1) {
        // Wait for the next character.
        ImageSablier->show();
        Ouvreport();
    }
    forms_.get<FMenu>().nextEmission();
}

void FEmiRecep::BoutonRaz_Click() {
    TexteEmission->clear();
    clearReception();
    TexteEmission->setFocus();
}

void FEmiRecep::clearReception() {
    receptionView_->clear();
    TableReception->clear();
}

void FEmiRecep::TimerRecep_Timer() {
    TimerRecep->stop();
    state_.ReceptionDelayElapsed = true;
}

void FEmiRecep::TimerMessage_Timer() {
    TimerMessage->stop();
    TextLine->clear();
    TextLine->setToolTip(QString());
    if (noticeOnly_) FrameTexteLine->hide();
    noticeOnly_ = false;
}

void FEmiRecep::showNotice(const QString& text) {
    noticeOnly_ = noticeOnly_ || FrameTexteLine->isHidden();
    FrameTexteLine->show();
    // The line is narrow: a long notice loses its middle there, and is whole in the tooltip.
    const int room =
        TextLine->contentsRect().width() - 2 * TextLine->fontMetrics().averageCharWidth();
    setLineText(text, TextLine->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    TimerMessage->start();
}

void FEmiRecep::setLineText(const QString& text, const QString& shown) {
    // From its start, whatever its length; whole in the tooltip and for screen readers.
    TextLine->setText(shown.isNull() ? text : shown);
    TextLine->setCursorPosition(0);
    TextLine->setToolTip(text);
    TextLine->setAccessibleDescription(text);
}

bool FEmiRecep::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return SurfaceWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QAbstractButton*>(watched);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    // Outside a dialog a push button takes only Space: Enter on the focused button presses it
    // too, as the user expects of "Suivant" after an emission.
    if (button && enter) {
        if (!key->isAutoRepeat() && button->isEnabled()) button->click();
        return true;
    }
    if (!KeyPreview) return SurfaceWidget::eventFilter(watched, event);
    // Tab moves between the controls, and Space on a button presses it as usual.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    if (button && key->key() == Qt::Key_Space) return false;
    Form_KeyPress(key->text(), key->key());
    return true;
}
