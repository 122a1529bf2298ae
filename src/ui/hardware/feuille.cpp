#include "ui/hardware/feuille.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

#include "core/appstate.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"
#include "ui/shell/printnotice.h"
#include "ui/shell/svgpicture.h"

using namespace formkit;

namespace {

// The layout in twips: the drawing on the left, the buttons in a column along the right edge,
// Annuler in its lower corner, the print notice across the foot of the drawing.
constexpr int kClientWidth = 8970;
constexpr int kClientHeight = 5205;
constexpr int kMargin = 120;
constexpr int kColumnFromRight = 1290;
constexpr int kColumnWidth = 1170;
constexpr int kIconInset = 225;
constexpr int kIconSize = 720;
constexpr int kViewTop = 240;
constexpr int kPrintTop = 1080;
constexpr int kExerciseTop = 2040;
constexpr int kExercisePitch = 540;
constexpr int kButtonHeight = 420;
constexpr int kAnnulerFromBottom = 540;
constexpr int kNoticeHeight = 540;

// The board's drawings are read on the screen: the sheet grows for them, up to this many times
// its size, as far as the screen leaves room for its frame.
constexpr double kBoardZoom = 2.0;
constexpr int kFrameRoomPx = 80;

// The entry of an exercise's answer.
constexpr int kAnswerLength = 10;

const QString kViewPicture = QStringLiteral(":/icon-next-view.svg");
const QString kPrintPicture = QStringLiteral(":/printer.svg");
const QString kPrintTip = QStringLiteral("Imprimer");
const QString kExerciseCaption = QStringLiteral("Exercice");
const QString kExerciseTip = QStringLiteral("Pose un exercice d'évaluation des connaissances");
const QString kAnnulerTip = QStringLiteral("Retour au menu principal");
// The example's caption: the code follows the two blanks.
const QString kExampleCaption = QStringLiteral("Exemple: émission du nombre décimal  %1");

}  // namespace

Feuille::Feuille(Forms& forms, QWidget* parent)
    : DiagramWindow(
          forms, {"Feuille", "Feuille", kClientWidth, kClientHeight, chrono::ChronoVariant::Sheet},
          parent),
      forms_(forms) {
    surface().setClientSize(kDrawingPixels);
    buildBoardPictures();
    buildButtons();
    notice_ = new PrintNotice(this, "LabelImpression", 0, 0, kClientWidth, kNoticeHeight);
    place(1.0);
    // Esc and the window manager's close leave the sheet as its Annuler does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Feuille::Annuler_Click);
    refuseClose(this, [this] { Annuler_Click(); });
    comeToFrontWhenShown(this);
}

void Feuille::buildBoardPictures() {
    for (const board::ViewLook& v : board::views()) {
        SvgPicture* p = addTippedPicture(this, v.sheetPicture, v.resource, 0, 0, kClientWidth,
                                         kClientHeight, v.tip);
        p->hide();
        pictures_[static_cast<std::size_t>(v.view)] = p;
    }
}

void Feuille::buildButtons() {
    const QString firstNext = board::look(*board::next(board::View::Schematic)).tip;
    ImageVoir = addPictureButton(this, "ImageVoir", kViewPicture, 0, kViewTop, kIconSize, kIconSize,
                                 firstNext);
    ImageImprimer = addPictureButton(this, "ImageImprimer", kPrintPicture, 0, kPrintTop, kIconSize,
                                     kIconSize, kPrintTip);
    ImageVoir->hide();
    ImageImprimer->hide();
    connect(ImageVoir, &SvgButton::clicked, this, &Feuille::ImageVoir_Click);
    connect(ImageImprimer, &SvgButton::clicked, this, &Feuille::ImageImprimer_Click);
    for (int i = 0; i < int(Exercice.size()); ++i) {
        QPushButton* b = addButton(this, QStringLiteral("Exercice%1").arg(i), kExerciseCaption, 0,
                                   0, kColumnWidth, kButtonHeight, kExerciseTip);
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, i] { Exercice_Click(i); });
        Exercice[std::size_t(i)] = b;
    }
    Annuler = addButton(this, "Annuler", "Annuler", 0, 0, kColumnWidth, kButtonHeight, kAnnulerTip);
    connect(Annuler, &QPushButton::clicked, this, &Feuille::Annuler_Click);
}

void Feuille::place(double zoom) {
    const int width = qRound(kClientWidth * zoom);
    const int height = qRound(kClientHeight * zoom);
    fixClientSizeTw(this, width, height);
    const int pictureWidth = width - kColumnFromRight - 2 * kMargin;
    const int pictureHeight = height - 2 * kMargin;
    for (SvgPicture* p : pictures_) placeTw(p, kMargin, kMargin, pictureWidth, pictureHeight);
    const int column = width - kColumnFromRight;
    placeTw(ImageVoir, column + kIconInset, kViewTop, kIconSize, kIconSize);
    placeTw(ImageImprimer, column + kIconInset, kPrintTop, kIconSize, kIconSize);
    for (int i = 0; i < int(Exercice.size()); ++i)
        placeTw(Exercice[std::size_t(i)], column, kExerciseTop + i * kExercisePitch, kColumnWidth,
                kButtonHeight);
    placeTw(Annuler, column, height - kAnnulerFromBottom, kColumnWidth, kButtonHeight);
    placeTw(notice_, kMargin, height - kMargin - kNoticeHeight, pictureWidth, kNoticeHeight);
    centreOnScreen(this);
}

double Feuille::boardZoom() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return 1.0;
    const QSize room = s->availableGeometry().size() - QSize(kFrameRoomPx, kFrameRoomPx);
    const double across = double(room.width()) / tw(kClientWidth);
    const double down = double(room.height()) / tw(kClientHeight);
    return std::clamp(std::min(across, down), 1.0, kBoardZoom);
}

SvgPicture* Feuille::picture(board::View view) const {
    return pictures_[static_cast<std::size_t>(view)];
}

void Feuille::showBoard() {
    // An exercise left behind never shows its buttons over the schematic.
    for (QPushButton* b : Exercice) b->hide();
    showView(board::View::Schematic);
    ImageImprimer->show();
    Annuler->show();
    setBackColor(systemTitleBarText());
    place(boardZoom());
    forms_.showOverMenu(*this);
    ImageVoir->setFocus();
}

void Feuille::showView(board::View view) {
    const board::ViewLook& v = board::look(view);
    setWindowTitle(v.caption);
    notice_->dismiss();
    for (SvgPicture* p : pictures_) p->setVisible(p == picture(view));
    const std::optional<board::View> next = board::next(view);
    if (next) ImageVoir->setToolTip(board::look(*next).tip);
    ImageVoir->setVisible(next.has_value());
}

void Feuille::ImageVoir_Click() {
    // The button's tooltip says which view comes next.
    if (ImageVoir->toolTip() == board::look(board::View::Components).tip) {
        showView(board::View::Components);
    } else {
        showView(board::View::Tracks);
        // The last view: printing and Annuler remain.
        ImageImprimer->setFocus();
    }
}

void Feuille::ImageImprimer_Click() {
    FPrint& page = forms_.get<FPrint>();
    // Another caption (a worked example) prints whatever the print layout holds.
    if (const std::optional<board::View> view = board::viewOfCaption(windowTitle()))
        page.composeBoardPage(*view);
    notice_->dismiss();
    // The page covers the main window while the sheet is away.
    forms_.showOverMenu(page);
    hide();
    const pageprinter::Result printed = page.print(forms_.state().workDir);
    forms_.showOverMenu(*this);
    page.hide();
    notice_->tell(printed);
}

void Feuille::Annuler_Click() {
    hide();
    surface().Cls();
    setBackColor(systemButtonFace());
    for (QPushButton* b : Exercice) b->hide();
    for (SvgPicture* p : pictures_) p->hide();
    ImageVoir->hide();
    ImageVoir->setToolTip(board::look(*board::next(board::View::Schematic)).tip);
    ImageImprimer->hide();
    notice_->dismiss();
    place(1.0);
    emit sheetCleared();
}

void Feuille::showExample(int code, const QList<int>& exercises) {
    AppState& state = forms_.state();
    hideExercises();
    for (int i : exercises)
        if (i >= 0 && i < int(Exercice.size())) Exercice[std::size_t(i)]->show();
    surface().Cls();
    setWindowTitle(kExampleCaption.arg(code));
    Annuler->show();
    state.CurrentCode = code;
    state.DisplayChar = frame::DisplayChar(code);
    state.BuildFrameBits();
    Chronogramme();
    forms_.showOverMenu(*this);
    Annuler->setFocus();
}

void Feuille::hideExercises() {
    for (QPushButton* b : Exercice) b->hide();
}

void Feuille::Exercice_Click(int) {
    // Whichever button: the answers of the exercises are short.
    forms_.get<FValeur>().setMaxLength(kAnswerLength);
    QList<int> offered;
    for (int i = 0; i < int(Exercice.size()); ++i)
        if (!Exercice[std::size_t(i)]->isHidden()) offered << i;
    emit exerciseAsked(offered);
    hide();
}
