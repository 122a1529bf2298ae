#include "ui/hardware/fessai2pc.h"

#include <QKeyEvent>
#include <QPushButton>

#include "core/appstate.h"
#include "ui/hardware/fautotest.h"
#include "ui/hardware/fbrcable.h"
#include "ui/hardware/feuille.h"
#include "ui/hardware/guideshapes.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/svgpicture.h"

using namespace formkit;

namespace {

constexpr int kClientWidthTw = 9600;
constexpr int kClientHeightTw = 5400;

}  // namespace

FEssai2PC::FEssai2PC(Forms& forms, QWidget* parent)
    : SurfaceWidget(parent), forms_(forms), state_(forms.state()) {
    setUpWindow(this, "FEssai2PC", "Essai d'une liaison RS-232C", Border::FixedSingle,
                kClientWidthTw, kClientHeightTw);
    surface().setScaleMode(DrawSurface::ScaleMode::Twip);
    buildControls();

    connect(&forms.get<Feuille>(), &Feuille::sheetCleared, this, &FEssai2PC::hideCablePro);
    refuseClose(this, [this] { Annuler_Click(); });
    comeToFrontWhenShown(this);
    centreOnScreen(this);
}

void FEssai2PC::buildControls() {
    Image1 = addTippedPicture(this, "Image1", ":/guide-computer.svg", 240, 240, 1800, 1800,
                              "Ordinateur n°1");
    FrameCable = new FrameButton("Cable de Liaison RS-232C", this);
    FrameCable->setObjectName("FrameCable");
    placeTw(FrameCable, 2280, 120, 3840, 2040);
    SvgPicture* cable = addTippedPicture(FrameCable, "ImageCable", ":/cable-female-female.svg", 120,
                                         300, 3600, 1650, "Câble femelle - femelle");
    cable->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image2 = addTippedPicture(this, "Image2", ":/guide-computer.svg", 6360, 240, 1800, 1800,
                              "Ordinateur n°2");
    BrochageCable = addPictureButton(this, "BrochageCable", ":/wiring-detail.svg", 8400, 480, 960,
                                     960, "Détail des liaisons");
    BPCarte = addButton(this, "BPCarte", " Carte d'essai", 8220, 720, 1260, 495,
                        "Schéma structurel, implantation des composants et tracé des pistes");
    ImageCablePro = addTippedPicture(this, "ImageCablePro", ":/cable-programmable.svg", 300, 2400,
                                     4440, 1980, "Cordon RS-232C programmable");
    ImageCablePro->hide();
    Annuler =
        addButton(this, "Annuler", "Annuler", 8280, 4740, 1095, 495, "Retour au menu principal");

    connect(FrameCable, &QAbstractButton::clicked, this, &FEssai2PC::FrameCable_Click);
    connect(BrochageCable, &QAbstractButton::clicked, this, &FEssai2PC::BrochageCable_Click);
    connect(BPCarte, &QPushButton::clicked, this, &FEssai2PC::BPCarte_Click);
    connect(Annuler, &QPushButton::clicked, this, &FEssai2PC::Annuler_Click);
}

void FEssai2PC::openGuide(Guide guide) {
    const GuideSpec& entry = guideSpec(guide);
    if (entry.guideKind) state_.GuideKind = *entry.guideKind;
    surface().Cls();
    Image2->setVisible(entry.secondComputer);
    FrameCable->setVisible(entry.cableFrame);
    FrameCable->setEnabled(true);
    BPCarte->setVisible(entry.boardButton);
    BrochageCable->setVisible(entry.wiringButton);
    Annuler->show();
    // A note left from an earlier visit goes with its text.
    ImageCablePro->hide();
    Image1->setToolTip(entry.computerTip);
    setWindowTitle(entry.caption);
    printText(entry.text);
    forms_.showOverMenu(*this);
    Annuler->setFocus(Qt::OtherFocusReason);
}

void FEssai2PC::printText(const GuideText& text) {
    DrawSurface& s = surface();
    s.CurrentY = text.topTw;
    for (size_t p = 0; p < text.paragraphs.size(); ++p) {
        if (p > 0 && text.blankBetween) s.Print();
        const QStringList& lines = text.paragraphs[p];
        for (int i = 0; i < lines.size(); ++i) {
            s.CurrentX = i == 0 ? kFirstLineTw : kContinuationTw;
            s.Print(lines[i]);
        }
    }
}

void FEssai2PC::BrochageCable_Click() {
    Image2->hide();
    // The wiring window is shown before the guide hides: the main window stays disabled.
    if (state_.GuideKind == kGuideKindSelfTest)
        forms_.get<FAutoTest>().present();
    else
        forms_.get<FBrCable>().present();
    hide();
}

void FEssai2PC::BPCarte_Click() {
    forms_.get<Feuille>().showBoard();
    hide();
}

void FEssai2PC::FrameCable_Click() {
    surface().Cls();
    Annuler->setFocus(Qt::OtherFocusReason);
    FrameCable->setEnabled(false);
    ImageCablePro->show();
    DrawSurface& s = surface();
    s.CurrentY = kCableNoteTopTw;
    for (const QString& line : cableNote()) {
        s.CurrentX = kCableNoteLeftTw;
        s.Print(line);
    }
}

void FEssai2PC::Annuler_Click() {
    hide();
    forms_.releaseMenu(*this);
    ImageCablePro->hide();
    surface().Cls();
}

void FEssai2PC::keyPressEvent(QKeyEvent* event) {
    if (!handleGuideKey(*this, *event, [this] { Annuler_Click(); }))
        SurfaceWidget::keyPressEvent(event);
}

void FEssai2PC::hideCablePro() {
    ImageCablePro->hide();
}
