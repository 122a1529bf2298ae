#include "ui/hardware/feuille.h"

Feuille::Feuille(Forms& forms, QWidget* parent)
    : DiagramWindow(forms, {"Feuille", "Feuille", 8970, 5205, chrono::ChronoVariant::Sheet},
                    parent) {
    surface().setClientSize(kDrawingPixels);
}
