#include "ui/hardware/fautotest.h"

#include <QGroupBox>
#include <QPushButton>

#include "ui/hardware/guideshapes.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

namespace {

// The layout in twips. The drawings are placed at their own size in pixels (times 15), so that
// the probes fall on the plug's test points and the cables on the oscilloscope's sockets.
constexpr int kWiringWidthTw = 2550;
constexpr int kWiringHeightTw = 2370;
constexpr int kFrameWidthTw = 5580;
constexpr int kFrameHeightTw = 2790;

// The probes' ends and the sockets (Voie 1, Voie 2, ground) the cables run to.
constexpr int kProbeLeftTw = 5400;
constexpr int kTxDRowTw = 5280;
constexpr int kRtsRowTw = 5730;
constexpr int kGndRowTw = 6855;
constexpr int kSocketBottomTw = 4905;
constexpr int kVoie1Tw = 7350;
constexpr int kVoie2Tw = 8100;
constexpr int kGroundTw = 8850;

QGroupBox* addWiringFrame(QWidget* parent, const QString& name, const QString& caption, int top,
                          const QString& db9, const QString& db25, const QString& kind) {
    QGroupBox* frame = addGroup(parent, name, caption, 120, top, kFrameWidthTw, kFrameHeightTw);
    addTippedPicture(frame, name + "DB9", db9, 180, 330, kWiringWidthTw, kWiringHeightTw,
                     "Fiche de bouclage DB9, " + kind);
    addTippedPicture(frame, name + "DB25", db25, 2850, 330, kWiringWidthTw, kWiringHeightTw,
                     "Fiche de bouclage DB25, " + kind);
    return frame;
}

}  // namespace

FAutoTest::FAutoTest(Forms& forms, QWidget* parent)
    : WiringWindow(
          forms, {"FAutoTest", "Branchements du câble pour auto-test d'un ordinateur", 10950, 8100},
          parent) {
    addWirings();
    addOscilloscope(":/oscilloscope-handshake.svg", {6900, 2550},
                    {labline::Signal::TxD, labline::Signal::RxD, labline::Signal::Rts});
    addHookup();
    addButtons({6900, 7350}, {9600, 7350});
    Test =
        addButton(this, "Test", "Test", 8250, 7350, 1200, 495, "Emission et réception simultanées");
    connect(Test, &QPushButton::clicked, this, &FAutoTest::Test_Click);
    setTabOrder(Mesure, Test);
    setTabOrder(Test, Annuler);
    finish();
}

void FAutoTest::addWirings() {
    addTippedPicture(this, "ImageDB9", ":/connector-db9-female.svg", 240, 120, 2250, 1260,
                     "Connecteur DB9 femelle");
    addTippedPicture(this, "ImageDB25", ":/connector-db25-female.svg", 2640, 120, 3960, 1260,
                     "Connecteur DB25 femelle");
    addWiringFrame(this, "FrameLiaisonSimple", "Liaison simple", 1500, ":/loopback-simple-db9.svg",
                   ":/loopback-simple-db25.svg", "TxD relié à RxD");
    addWiringFrame(this, "FrameModemNul", "Liaison type modem nul", 4410,
                   ":/loopback-null-modem-db9.svg", ":/loopback-null-modem-db25.svg",
                   "TxD relié à RxD, RTS à CTS, DTR à DSR et DCD");
}

void FAutoTest::addHookup() {
    // The probes on the test points of the DB25 plug: TxD, ground, RTS.
    WiringWindow::addHookup(kProbeLeftTw, kSocketBottomTw,
                            {{"ImageOsc0",
                              "Transmission",
                              {"LineVoie0", "LineVoie1"},
                              kTxDRowTw,
                              kVoie1Tw,
                              wirecolour::kTxD},
                             {"ImageOsc1",
                              "Masse",
                              {"LineMasse0", "LineMasse1"},
                              kGndRowTw,
                              kGroundTw,
                              wirecolour::kGnd},
                             {"ImageOsc2",
                              "Handshaking",
                              {"LineVoie2", "LineVoie3"},
                              kRtsRowTw,
                              kVoie2Tw,
                              wirecolour::kRts}});
}

void FAutoTest::Test_Click() {
    Annuler_Click();
    forms_.get<FMenu>().Emission_Reception_Simultanees_Click();
}
