// The terminal printout: the configuration line and the timing diagram of the current character,
// composed on the print layout window and printed as drawn.

#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include "core/appstate.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/forms.h"
#include "ui/shell/pageprinter.h"
#include "ui/terminal/emissiontexts.h"
#include "ui/terminal/femirecep.h"

using namespace emissiontexts;

void FEmiRecep::ImageImprimer_Click() {
    AppState& s = state_;
    Tempo->stop();  // the repeated emission pauses while the page is printed

    FPrint& page = forms_.get<FPrint>();
    page.surface().Cls();
    // The page covers the main window while the terminal is hidden.
    forms_.showOverMenu(page);
    hide();
    s.BuildFrameBits();
    page.Chrono();
    page.surface().CurrentX = 0;
    page.surface().CurrentY = 0;
    page.surface().Print(kPrintHeader + linkconfig::statusText(s.LinkConfig));
    page.surface().CurrentX = 100;
    page.surface().CurrentY = 310;
    page.surface().Print(kPrintTitle);
    const pageprinter::Result printed = pageprinter::printPage(page, s.workDir);

    forms_.showOverMenu(*this);
    page.hide();
    // Without a printer the page is kept as a file: say where.
    if (printed.outcome == pageprinter::Outcome::WrittenToFile)
        showNotice(QFileInfo(printed.file).fileName());
    if (windowTitle() != kRepeatedCaption && isVisible()) Suivant->setFocus();
    if (windowTitle() == kRepeatedCaption && repeating_) Tempo->start();
}
