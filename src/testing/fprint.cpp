#include "testing/fprint.h"

#include "app/appstate.h"
#include "app/formkit.h"
#include "link/chronogramme.h"

using namespace formkit;

FPrint::FPrint(QWidget* parent) : SurfaceWidget(parent) {
    setObjectName("FPrint");
    setWindowTitle("Impression");
    setBorder(this, Border::FixedSingle);
    fixClientSizeTw(this, 8970, 5175);
    surface().setClientSize(QSizeF(598, 345));
    surface().setScale(598, 345);
    setBackColor(Qt::white);
    setAccessibleName("Impression");
    centreOnScreen(this);
}

void FPrint::Chrono(const AppState& s) {
    chrono::Chronogramme(surface(), s.chronoInput(), chrono::ChronoVariant::Print);
}
