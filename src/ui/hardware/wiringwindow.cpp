#include "ui/hardware/wiringwindow.h"

#include <QKeyEvent>
#include <QPushButton>

#include "core/appstate.h"
#include "serial/labtransport.h"
#include "serial/portmap.h"
#include "ui/hardware/foscillo.h"
#include "ui/hardware/guideshapes.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/svgpicture.h"

using namespace formkit;

namespace {

// Mesure's captions: the state of the hookup.
constexpr char kOff[] = "Off";
constexpr char kOn[] = "On";

// The oscilloscope drawing and its screen, in twips (its drawing's pixels times 15).
constexpr int kScopeWidthTw = 3600;
constexpr int kScopeHeightTw = 2550;
constexpr QPoint kScreenOffsetTw{150, 150};
constexpr int kScreenWidthTw = 1950;
constexpr int kScreenHeightTw = 1350;
const QColor kScreenColour{0x20, 0x30, 0x20};

// The line that says why the oscilloscope cannot open, under it.
constexpr int kStatusGapTw = 60;

// The probes' colours, those of the wires in every drawing.
QColor scopeColour(labline::Signal s) {
    switch (s) {
        case labline::Signal::TxD:
            return QColor(0xc0, 0x00, 0x00);
        case labline::Signal::RxD:
            return QColor(0x00, 0x50, 0xc0);
        default:
            return QColor(0x00, 0x80, 0x00);
    }
}

scope::FrameFormat frameFormatOf(const LinkRecord& c) {
    return {c.Speed.toInt(), c.DataBits.toInt(),
            c.ParityLetter.isEmpty() ? QChar(u'N') : c.ParityLetter.at(0),
            c.StopBits == QLatin1String("2") ? 2 : 1};
}

constexpr int kButtonWidthTw = 1200;
constexpr int kButtonHeightTw = 495;

}  // namespace

WiringWindow::WiringWindow(Forms& forms, const Look& look, QWidget* parent)
    : SurfaceWidget(parent), forms_(forms) {
    setUpWindow(this, look.objectName, look.caption, Border::FixedSingle, look.clientWidthTw,
                look.clientHeightTw);
    surface().setScaleMode(DrawSurface::ScaleMode::Twip);
}

void WiringWindow::addOscilloscope(const QString& resource, QPoint topLeftTw,
                                   const QList<labline::Signal>& wires) {
    ImageOscillo = addPictureButton(this, "ImageOscillo", resource, topLeftTw.x(), topLeftTw.y(),
                                    kScopeWidthTw, kScopeHeightTw, "Oscilloscope");
    connect(ImageOscillo, &SvgButton::clicked, this, &WiringWindow::ImageOscillo_Click);
    scopeTw_ = topLeftTw;
    scopeWires_ = wires;
    Ecran = new ShapeBox(this, "Ecran", ShapeBox::Style::Filled, kScreenColour);
    const QPoint screen = topLeftTw + kScreenOffsetTw;
    placeTw(Ecran, screen.x(), screen.y(), kScreenWidthTw, kScreenHeightTw);
}

void WiringWindow::addButtons(QPoint mesureTw, QPoint annulerTw) {
    Mesure = addButton(this, "Mesure", kOff, mesureTw.x(), mesureTw.y(), kButtonWidthTw,
                       kButtonHeightTw, "Mesure");
    Annuler = addButton(this, "Annuler", "Annuler", annulerTw.x(), annulerTw.y(), kButtonWidthTw,
                        kButtonHeightTw, "Retour au menu principal");
    connect(Mesure, &QPushButton::clicked, this, &WiringWindow::Mesure_Click);
    connect(Annuler, &QPushButton::clicked, this, [this] { Annuler_Click(); });
}

void WiringWindow::addProbe(const QString& objectName, const QString& resource, QPoint topLeftTw,
                            const QString& tip) {
    hookup_ << addTippedPicture(this, objectName, resource, topLeftTw.x(), topLeftTw.y(),
                                kProbeWidthTw, kProbeHeightTw, tip);
}

void WiringWindow::addCable(const QString& objectName, QPoint fromTw, QPoint toTw,
                            const QColor& colour) {
    hookup_ << new LineShape(this, objectName, fromTw, toTw, colour);
}

void WiringWindow::addHookup(int probesLeftTw, int socketsBottomTw, const ProbeRun (&runs)[3]) {
    const int rearTw = probesLeftTw + kProbeWidthTw;
    for (int i = 0; i < 3; ++i) {
        const ProbeRun& r = runs[i];
        // The middle probe is the ground clip.
        const QString drawing =
            i == 1 ? QStringLiteral(":/probe-ground.svg") : QStringLiteral(":/probe-signal.svg");
        addProbe(r.probe, drawing, {probesLeftTw, r.rowTw - kProbeHeightTw / 2}, r.tip);
        addCable(r.cables[0], {rearTw, r.rowTw}, {r.socketTw, r.rowTw}, r.colour);
        addCable(r.cables[1], {r.socketTw, r.rowTw}, {r.socketTw, socketsBottomTw}, r.colour);
    }
}

void WiringWindow::finish() {
    // The cables over the oscilloscope's sockets, the probes over the cables.
    for (QWidget* w : hookup_) w->raise();
    showHookup(false);
    refuseClose(this, [this] { Annuler_Click(); });
    comeToFrontWhenShown(this);
    centreOnScreen(this);
}

void WiringWindow::present() {
    surface().Cls();
    forms_.showOverMenu(*this);
    Annuler->setFocus(Qt::OtherFocusReason);
}

bool WiringWindow::hookupShown() const {
    return !hookup_.isEmpty() && !hookup_.first()->isHidden();
}

void WiringWindow::showHookup(bool on) {
    for (QWidget* w : hookup_) w->setVisible(on);
    Ecran->setVisible(!on);
    Mesure->setText(on ? kOn : kOff);
}

void WiringWindow::Mesure_Click() {
    if (isVisible()) Annuler->setFocus(Qt::OtherFocusReason);
    showHookup(Mesure->text() == QLatin1String(kOff));
}

void WiringWindow::ImageOscillo_Click() {
    if (!hookupShown()) return;
    const AppState& state = forms_.state();
    const QString device = portmap::resolve(state.LinkConfig.PortNumber, state.workDir).device;
    QList<FOscillo::Probe> probes;
    for (labline::Signal s : scopeWires_) probes << FOscillo::Probe{s, scopeColour(s)};
    QString why;
    const bool onLab = device.startsWith(QLatin1String(serial::kLabPrefix));
    if (onLab &&
        forms_.get<FOscillo>().present(probes, frameFormatOf(state.LinkConfig), device, &why))
        return;
    if (!onLab)
        why = QStringLiteral("L'oscilloscope n'est disponible que sur le laboratoire virtuel.");
    surface().CurrentX = scopeTw_.x();
    surface().CurrentY = scopeTw_.y() + kScopeHeightTw + kStatusGapTw;
    surface().Print(why.isEmpty() ? QString() : why.at(0).toUpper() + why.mid(1));
    ImageOscillo->setAccessibleDescription(why);
}

void WiringWindow::Annuler_Click() {
    hide();
    forms_.releaseMenu(*this);
    showHookup(false);
}

void WiringWindow::keyPressEvent(QKeyEvent* event) {
    if (!handleGuideKey(*this, *event, [this] { Annuler_Click(); }))
        SurfaceWidget::keyPressEvent(event);
}
