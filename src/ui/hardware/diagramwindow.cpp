#include "ui/hardware/diagramwindow.h"

#include "core/appstate.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

DiagramWindow::DiagramWindow(Forms& forms, const Look& look, QWidget* parent)
    : SurfaceWidget(parent), state_(forms.state()), variant_(look.variant) {
    setUpWindow(this, look.objectName, look.caption, Border::FixedSingle, look.clientWidthTw,
                look.clientHeightTw);
    refuseClose(this);
    centreOnScreen(this);
}

void DiagramWindow::drawDiagram() {
    chrono::Chronogramme(surface(), state_.chronoInput(), variant_);
}
