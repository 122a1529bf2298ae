// The terminal printout: the configuration line and the timing diagram of the current character,
// composed on the print layout window and printed as drawn.

#include <QPushButton>
#include <QTimer>

#include "core/appstate.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/forms.h"
#include "ui/shell/printnotice.h"
#include "ui/terminal/emissiontexts.h"
#include "ui/terminal/femirecep.h"

using namespace emissiontexts;

void FEmiRecep::ImageImprimer_Click() {
    AppState& s = state_;
    Tempo->stop();  // the repeated emission pauses while the page is printed

    FPrint& page = forms_.get<FPrint>();
    // The page covers the main window while the terminal is hidden.
    forms_.showOverMenu(page);
    hide();
    s.BuildFrameBits();
    page.composeDiagramPage(kPrintHeader + linkconfig::statusText(s.LinkConfig), kPrintTitle);
    const pageprinter::Result printed = page.print(s.workDir);

    forms_.showOverMenu(*this);
    page.hide();
    LabelImpression->tell(printed);
    if (windowTitle() != kRepeatedCaption && isVisible()) Suivant->setFocus();
    if (windowTitle() == kRepeatedCaption && repeating_) Tempo->start();
}
