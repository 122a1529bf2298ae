#include "ui/hardware/fbrcable.h"

#include "ui/hardware/fessai2pc.h"
#include "ui/hardware/guideshapes.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

namespace {

// The cable's drawing at its own size (its pixels times 15), so that the group outlines fall on
// their wires and the probes on the DB25 end's test points.
constexpr int kCableLeftTw = 240;
constexpr int kCableTopTw = 1500;

struct WireGroup {
    const char* name;
    int topTw;
    int heightTw;
    const char* tip;
};
// Over the crossing part of each group of wires.
constexpr int kGroupLeftTw = 2490;
constexpr int kGroupWidthTw = 2400;
constexpr WireGroup kGroups[] = {
    {"ShapeFacultatives", 2010, 840, "Ces liaisons sont facultatives"},
    {"ShapeRtsCts", 3090, 570,
     "Ces liaisons sont obligatoires si le protocole RTS-CTS a été choisi"},
    {"ShapeDuplex", 3900, 840, "Ces liaisons sont obligatoires en mode Duplex"},
};

// The probes' ends and the sockets (Voie 1, Voie 2, ground) the cables run to.
constexpr int kProbeLeftTw = 7020;
constexpr int kTxDRowTw = 4050;
constexpr int kRxDRowTw = 4320;
constexpr int kGndRowTw = 4590;
constexpr int kSocketBottomTw = 3555;
constexpr int kVoie1Tw = 8850;
constexpr int kVoie2Tw = 9600;
constexpr int kGroundTw = 10350;

}  // namespace

FBrCable::FBrCable(Forms& forms, QWidget* parent)
    : WiringWindow(forms,
                   {"FBrCable", "Branchements du câble de liaison série entre deux ordinateurs",
                    12150, 6000},
                   parent) {
    addCableDrawing();
    addOscilloscope(":/oscilloscope-frames.svg", {8400, 1200},
                    {labline::Signal::TxD, labline::Signal::RxD});
    addHookup();
    addButtons({9000, 5250}, {10500, 5250});
    finish();
}

void FBrCable::addCableDrawing() {
    addTippedPicture(this, "ImageDB9", ":/connector-db9-female.svg", 240, 120, 2250, 1260,
                     "Connecteur DB9 femelle");
    addTippedPicture(this, "ImageDB25", ":/connector-db25-female.svg", 3240, 120, 3960, 1260,
                     "Connecteur DB25 femelle");
    addTippedPicture(this, "ImageCable", ":/null-modem-cable.svg", kCableLeftTw, kCableTopTw, 6960,
                     3540, "Câble modem nul DB9 femelle - DB25 femelle");
    for (const WireGroup& g : kGroups) {
        auto* shape = new ShapeBox(this, g.name, ShapeBox::Style::Outline, wirecolour::kGnd);
        placeTw(shape, kGroupLeftTw, g.topTw, kGroupWidthTw, g.heightTw);
        shape->setToolTip(g.tip);
    }
}

void FBrCable::addHookup() {
    // The probes on the test points of the DB25 end: TxD, ground, RxD.
    WiringWindow::addHookup(
        kProbeLeftTw, kSocketBottomTw,
        {{"ImageOsc0",
          "Emission DB25",
          {"LineOsc0", "LineOsc1"},
          kTxDRowTw,
          kVoie1Tw,
          wirecolour::kTxD},
         {"ImageOsc1", "Masse", {"LineOsc4", "LineOsc5"}, kGndRowTw, kGroundTw, wirecolour::kGnd},
         {"ImageOsc2",
          "Réception DB25",
          {"LineOsc2", "LineOsc3"},
          kRxDRowTw,
          kVoie2Tw,
          wirecolour::kRxD}});
}

void FBrCable::Annuler_Click() {
    WiringWindow::Annuler_Click();
    forms_.get<FEssai2PC>().hideCablePro();
}
