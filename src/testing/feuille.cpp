#include "testing/feuille.h"

#include "app/appstate.h"
#include "app/formkit.h"
#include "link/chronogramme.h"

using namespace formkit;

Feuille::Feuille(QWidget* parent) : SurfaceWidget(parent) {
    setObjectName("Feuille");
    setWindowTitle("Feuille");
    setBorder(this, Border::FixedSingle);
    fixClientSizeTw(this, 8970, 5205);
    surface().setClientSize(QSizeF(598, 347));
    setAccessibleName("Feuille");
    centreOnScreen(this);
}

void Feuille::Chronogramme(const AppState& s) {
    chrono::Chronogramme(surface(), s.chronoInput(), chrono::ChronoVariant::Sheet);
}
