#include "core/charsetpage.h"

#include "core/codepage.h"
#include "core/drawsurface.h"
#include "core/framebits.h"

namespace charsetpage {

namespace {

const QChar kSoftHyphen(0x00AD);
const QString kNotShownMark = QStringLiteral("?");
const QString kLegend =
    QStringLiteral(": ces caractères ne sont pas affichables ou ne sont pas gérés par Windows.");

// What is printed for a code shown as a character: the character, except the soft hyphen, which
// text drawing leaves invisible where it does not break a line; the hyphen it stands for is shown.
QString shownAs(int code) {
    const QChar ch = cp1252::toChar(code);
    return ch == kSoftHyphen ? QStringLiteral("-") : QString(ch);
}

// One code on its own line of its column: the number in black, then its mark in colour.
void drawCode(DrawSurface& surface, int code) {
    surface.CurrentX = columnX(code);
    surface.ForeColor = Qt::black;
    surface.Print(QString::number(code) + QLatin1Char(' '), DrawSurface::PrintEnd::SameLine);
    if (frame::isDisplayable(code)) {
        surface.ForeColor = kShownColour;
        surface.Print(shownAs(code));
    } else {
        surface.ForeColor = kNotShownColour;
        surface.Print(kNotShownMark);
    }
    surface.ForeColor = Qt::black;
}

void drawLegend(DrawSurface& surface) {
    surface.Print();
    surface.CurrentX = kLegendX;
    surface.ForeColor = kNotShownColour;
    surface.Print(kNotShownMark + QLatin1Char(' '), DrawSurface::PrintEnd::SameLine);
    surface.ForeColor = Qt::black;
    surface.Print(kLegend);
}

}  // namespace

QString caption() {
    return QStringLiteral("Jeu de caractères (0 à 255)");
}

int columnX(int code) {
    return kFirstX + kColumnStep * (code / kCodesPerColumn);
}

void draw(DrawSurface& surface) {
    for (int first = 0; first < kCodes; first += kCodesPerColumn) {
        surface.CurrentY = kTop;
        for (int code = first; code < first + kCodesPerColumn; ++code) drawCode(surface, code);
    }
    drawLegend(surface);
}

}  // namespace charsetpage
