#include "ui/hardware/feuille.h"

#include <QPushButton>
#include <QShortcut>

#include "core/appstate.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"
#include "ui/shell/printnotice.h"
#include "ui/shell/svgpicture.h"

using namespace formkit;

namespace {

// The layout in twips: the drawing on the left, the buttons in a column on the right.
constexpr int kPictureLeft = 120;
constexpr int kPictureTop = 120;
constexpr int kPictureWidth = 7440;
constexpr int kPictureHeight = 4965;
constexpr int kColumnLeft = 7680;
constexpr int kColumnWidth = 1170;
constexpr int kIconLeft = 7905;
constexpr int kIconSize = 720;
constexpr int kViewTop = 240;
constexpr int kPrintTop = 1080;
constexpr int kExerciseTop = 2040;
constexpr int kExercisePitch = 540;
constexpr int kButtonHeight = 420;
constexpr int kAnnulerTop = 4665;
constexpr int kNoticeTop = 4545;
constexpr int kNoticeHeight = 540;

// The entry of an exercise's answer.
constexpr int kAnswerLength = 10;

const QString kViewPicture = QStringLiteral(":/icon-next-view.svg");
const QString kPrintPicture = QStringLiteral(":/printer.svg");
const QString kPrintTip = QStringLiteral("Imprimer");
const QString kExerciseCaption = QStringLiteral("Exercice");
const QString kExerciseTip = QStringLiteral("Pose un exercice d'évaluation des connaissances");
const QString kAnnulerTip = QStringLiteral("Retour au menu principal");

}  // namespace

Feuille::Feuille(Forms& forms, QWidget* parent)
    : DiagramWindow(forms, {"Feuille", "Feuille", 8970, 5205, chrono::ChronoVariant::Sheet},
                    parent),
      forms_(forms) {
    surface().setClientSize(kDrawingPixels);
    buildBoardPictures();
    buildButtons();
    notice_ = new PrintNotice(this, "LabelImpression", kPictureLeft, kNoticeTop, kPictureWidth,
                              kNoticeHeight);
    // Esc and the window manager's close leave the sheet as its Annuler does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Feuille::Annuler_Click);
    refuseClose(this, [this] { Annuler_Click(); });
}

void Feuille::buildBoardPictures() {
    for (const board::ViewLook& v : board::views()) {
        SvgPicture* p = addTippedPicture(this, v.sheetPicture, v.resource, kPictureLeft,
                                         kPictureTop, kPictureWidth, kPictureHeight, v.tip);
        p->hide();
        pictures_[static_cast<std::size_t>(v.view)] = p;
    }
}

void Feuille::buildButtons() {
    const QString firstNext = board::look(*board::next(board::View::Schematic)).tip;
    ImageVoir = addPictureButton(this, "ImageVoir", kViewPicture, kIconLeft, kViewTop, kIconSize,
                                 kIconSize, firstNext);
    ImageImprimer = addPictureButton(this, "ImageImprimer", kPrintPicture, kIconLeft, kPrintTop,
                                     kIconSize, kIconSize, kPrintTip);
    ImageVoir->hide();
    ImageImprimer->hide();
    connect(ImageVoir, &SvgButton::clicked, this, &Feuille::ImageVoir_Click);
    connect(ImageImprimer, &SvgButton::clicked, this, &Feuille::ImageImprimer_Click);
    for (int i = 0; i < int(Exercice.size()); ++i) {
        QPushButton* b =
            addButton(this, QStringLiteral("Exercice%1").arg(i), kExerciseCaption, kColumnLeft,
                      kExerciseTop + i * kExercisePitch, kColumnWidth, kButtonHeight, kExerciseTip);
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, i] { Exercice_Click(i); });
        Exercice[std::size_t(i)] = b;
    }
    Annuler = addButton(this, "Annuler", "Annuler", kColumnLeft, kAnnulerTop, kColumnWidth,
                        kButtonHeight, kAnnulerTip);
    connect(Annuler, &QPushButton::clicked, this, &Feuille::Annuler_Click);
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
    forms_.showOverMenu(*this);
    ImageVoir->setFocus();
}

void Feuille::showView(board::View view) {
    const board::ViewLook& v = board::look(view);
    setWindowTitle(v.caption);
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
    emit sheetCleared();
}

void Feuille::Exercice_Click(int) {
    // Whichever button: the answers of the exercises are short.
    forms_.get<FValeur>().setMaxLength(kAnswerLength);
}
