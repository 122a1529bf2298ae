#include "ui/hardware/fprint.h"

FPrint::FPrint(Forms& forms, QWidget* parent)
    : DiagramWindow(forms, {"FPrint", "Impression", 8970, 5175, chrono::ChronoVariant::Print},
                    parent) {
    surface().setClientSize(kPrintScale);
    surface().setScale(kPrintScale.width(), kPrintScale.height());
    setBackColor(Qt::white);
}
