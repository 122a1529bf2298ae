#include "ui/hardware/feuille.h"

#include "ui/shell/forms.h"

Feuille::Feuille(Forms& forms, QWidget* parent)
    : DiagramWindow(forms, {"Feuille", "Feuille", 8970, 5205, chrono::ChronoVariant::Sheet},
                    parent),
      forms_(forms) {
    surface().setClientSize(kDrawingPixels);
}

void Feuille::showBoard() {
    setWindowTitle(QStringLiteral("Carte d'essai : schéma structurel"));
    forms_.showOverMenu(*this);
}
