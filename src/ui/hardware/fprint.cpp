#include "ui/hardware/fprint.h"

#include "ui/shell/formkit.h"
#include "ui/shell/svgpicture.h"

namespace {

// The page's layout in twips: the title line at the top left, the drawing below it.
constexpr int kPictureTop = 300;
constexpr int kPictureWidth = 8970;
constexpr int kPictureHeight = 4875;
// The terminal's page: where its title stands over the diagram.
constexpr double kDiagramTitleX = 100;
constexpr double kDiagramTitleY = 310;

}  // namespace

FPrint::FPrint(Forms& forms, QWidget* parent)
    : DiagramWindow(forms, {"FPrint", "Impression", 8970, 5175, chrono::ChronoVariant::Print},
                    parent) {
    surface().setClientSize(kPrintScale);
    surface().setScale(kPrintScale.width(), kPrintScale.height());
    setBackColor(Qt::white);
    for (const board::ViewLook& v : board::views()) {
        SvgPicture* p = formkit::addTippedPicture(this, v.pagePicture, v.resource, 0, kPictureTop,
                                                  kPictureWidth, kPictureHeight, v.tip);
        p->hide();
        pictures_[static_cast<std::size_t>(v.view)] = p;
    }
}

SvgPicture* FPrint::picture(board::View view) const {
    return pictures_[static_cast<std::size_t>(view)];
}

void FPrint::composeDiagramPage(const QString& header, const QString& title) {
    clear();
    Chrono();
    surface().CurrentX = 0;
    surface().CurrentY = 0;
    surface().Print(header);
    surface().CurrentX = kDiagramTitleX;
    surface().CurrentY = kDiagramTitleY;
    surface().Print(title);
}

void FPrint::composeBoardPage(board::View view) {
    clear();
    const board::ViewLook& v = board::look(view);
    if (v.titled) surface().Print(v.caption);
    picture(view)->show();
    boardPage_ = view;
}

pageprinter::Result FPrint::print(const QString& fallbackFolder) {
    pageprinter::Result result;
    if (boardPage_) {
        const board::ViewLook& v = board::look(*boardPage_);
        const pageprinter::DrawingPage page{v.titled ? v.caption : QString(), v.resource, v.scale};
        result = pageprinter::printDrawing(page, fallbackFolder);
    } else {
        result = pageprinter::printPage(*this, fallbackFolder);
    }
    clear();
    return result;
}

void FPrint::clear() {
    for (SvgPicture* p : pictures_) p->hide();
    surface().Cls();
    boardPage_.reset();
}
