// The terminal printout: the configuration line and the timing diagram of the current character,
// composed on the print layout window and printed as drawn.

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "core/appstate.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/formkit.h"
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
    if (printed.outcome == pageprinter::Outcome::WrittenToFile)
        showPrintedFile(QFileInfo(printed.file).absoluteFilePath());
    if (windowTitle() != kRepeatedCaption && isVisible()) Suivant->setFocus();
    if (windowTitle() == kRepeatedCaption && repeating_) Tempo->start();
}

namespace {

// Long enough to be read, and to copy the path from.
constexpr int kPrintNoticeMs = 10000;

}  // namespace

void FEmiRecep::buildPrintNotice() {
    // Across the top of the window, above the diagram's first title, clear of the printer.
    LabelImpression = new QLabel(this);
    LabelImpression->setObjectName("LabelImpression");
    formkit::placeTw(LabelImpression, 120, 0, 6720, 420);
    LabelImpression->setWordWrap(true);
    LabelImpression->setTextFormat(Qt::PlainText);
    LabelImpression->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelImpression->setFont(formkit::formFont());
    formkit::setBackground(LabelImpression, formkit::kLightGrey);
    QPalette p = LabelImpression->palette();
    p.setColor(QPalette::WindowText, formkit::kNavy);
    LabelImpression->setPalette(p);
    TimerImpression = new QTimer(this);
    TimerImpression->setObjectName("TimerImpression");
    TimerImpression->setSingleShot(true);
    TimerImpression->setInterval(kPrintNoticeMs);
    connect(TimerImpression, &QTimer::timeout, LabelImpression, &QLabel::hide);
}

void FEmiRecep::showPrintedFile(const QString& path) {
    const QString text = kPrintedToFile + path;
    LabelImpression->setText(text);
    LabelImpression->setToolTip(text);
    LabelImpression->setAccessibleName(text);
    LabelImpression->show();
    LabelImpression->raise();
    TimerImpression->start();
}
