#include "ui/reference/finfo.h"

#include <QHideEvent>
#include <QTimer>

#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"

namespace {
// The entry of the value dialog as the exercises of the sheet need it.
constexpr int kAnswerLength = 10;

// The diagram's arrows, and the frames whose showing starts the animation.
struct ArrowControl {
    plex::Arrow arrow;
    const char* control;
};
constexpr ArrowControl kArrowControls[] = {
    {plex::Arrow::Simplex, "ImageSimplex"}, {plex::Arrow::HalfRight, "ImageHalf1"},
    {plex::Arrow::HalfLeft, "ImageHalf2"},  {plex::Arrow::FullRight, "ImageFull1"},
    {plex::Arrow::FullLeft, "ImageFull2"},
};
const QStringList kDiagramFrames = {"Frame1", "Frame2", "Frame3"};

bool showsDiagram(const pages::Page& page) {
    for (const QString& frame : kDiagramFrames)
        if (page.show.contains(frame)) return true;
    return false;
}

}  // namespace

FInfo::FInfo(Forms& forms, QWidget* parent) : PageWindow(forms, "FInfo", parent) {
    TimerPlex1 = addPageTimer(QStringLiteral("TimerPlex1"), plex::kTickMs);
    TimerPlex2 = addPageTimer(QStringLiteral("TimerPlex2"), plex::kTickMs);
    connect(TimerPlex1, &QTimer::timeout, this, &FInfo::TimerPlex1_Timer);
    connect(TimerPlex2, &QTimer::timeout, this, &FInfo::TimerPlex2_Timer);
}

void FInfo::beforePage(const pages::Page& page) {
    stopAnimation();
    if (showsDiagram(page)) TimerPlex1->start();
}

void FInfo::onButton(const QString& name) {
    if (name == QStringLiteral("BPExemple")) BPExemple_Click();
}

void FInfo::onClose() {
    stopAnimation();
}

void FInfo::hideEvent(QHideEvent* event) {
    // Left in whatever way, the page starts its cycle again when shown again.
    if (!event->spontaneous()) stopAnimation();
    PageWindow::hideEvent(event);
}

void FInfo::BPExemple_Click() {
    forms().get<FValeur>().setMaxLength(kAnswerLength);
    // The sheet first, so that the main window stays covered.
    showExampleSheet();
    Annuler_Click();
}

void FInfo::TimerPlex1_Timer() {
    TimerPlex1->stop();
    TimerPlex2->start();
    plex_ = plex::firstTick(plex_);
    showArrows();
}

void FInfo::TimerPlex2_Timer() {
    TimerPlex2->stop();
    TimerPlex1->start();
    plex_ = plex::secondTick(plex_);
    showArrows();
}

void FInfo::stopAnimation() {
    TimerPlex1->stop();
    TimerPlex2->stop();
    plex_ = plex::State();
    showArrows();
}

void FInfo::showArrows() {
    for (const ArrowControl& a : kArrowControls)
        setShown(QString::fromLatin1(a.control), plex_.shown.testFlag(a.arrow));
}
