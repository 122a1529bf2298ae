#include "core/chronogramme.h"

#include <QColor>

#include "core/drawsurface.h"

namespace chrono {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// The bit weights under the data cells; the runs of blanks place each weight under its cell.
QString weightsText(const QString& dataBits) {
    const QString upTo8 = QStringLiteral("     1            2           4            8");
    if (dataBits == QLatin1String("4")) return upTo8;
    if (dataBits == QLatin1String("5")) return upTo8 + QStringLiteral("          16");
    const QString upTo32 = upTo8 + QStringLiteral("           16          32");
    if (dataBits == QLatin1String("6")) return upTo32;
    if (dataBits == QLatin1String("7")) return upTo32 + QStringLiteral("         64");
    // Any other width is framed as 8 bits, and named so.
    return upTo32 + QStringLiteral("         64         128");
}

QString parityName(const QString& parityLetter) {
    if (parityLetter == QLatin1String("E")) return QStringLiteral("        PAI");
    if (parityLetter == QLatin1String("O")) return QStringLiteral("        IMP");
    if (parityLetter == QLatin1String("S")) return QStringLiteral("        ESP");
    if (parityLetter == QLatin1String("M")) return QStringLiteral("       MAR");
    return QString();
}

QString stopNames(const QString& stopBits) {
    if (stopBits == QLatin1String("1")) return QStringLiteral("       STOP");
    if (stopBits == QLatin1String("1.5") || stopBits == QLatin1String("2"))
        return QStringLiteral("       STOP   STOP");
    return QString();
}

// The code line as the pieces printed one after the other.
QStringList codeLinePieces(int code, const QString& displayChar, ChronoVariant variant) {
    QStringList pieces{QStringLiteral("Code   décimal : "),
                       QLatin1Char(' ') + QString::number(code) + QLatin1Char(' '),
                       QStringLiteral("  ,   hexadécimal :  "),
                       QString::number(code, 16).toUpper(),
                       QStringLiteral("  ,   octal :  "),
                       QString::number(code, 8)};
    if (variant != ChronoVariant::Sheet) {
        pieces << QStringLiteral("  ,   aspect :  ") << displayChar;
    }
    return pieces;
}

// Prints pieces one after the other on one line from (x, y), then goes to the next line.
void printLine(DrawSurface& s, double x, double y, const QStringList& pieces) {
    s.CurrentX = x;
    s.CurrentY = y;
    for (const QString& piece : pieces) s.Print(piece, DrawSurface::PrintEnd::SameLine);
    s.Print();
}

void printAt(DrawSurface& s, double x, double y, const QString& text) {
    s.CurrentX = x;
    s.CurrentY = y;
    s.Print(text);
}

}  // namespace

QStringList bitNamesPieces(const QString& dataBits, const QString& parityLetter,
                           const QString& stopBits) {
    QStringList pieces{QStringLiteral("  START"), weightsText(dataBits)};
    const QString parity = parityName(parityLetter);
    if (!parity.isEmpty()) pieces << parity;
    const QString stop = stopNames(stopBits);
    if (!stop.isEmpty()) pieces << stop;
    return pieces;
}

QString bitNamesText(const QString& dataBits, const QString& parityLetter,
                     const QString& stopBits) {
    return bitNamesPieces(dataBits, parityLetter, stopBits).join(QString());
}

QString codeLineText(int code, const QString& displayChar, ChronoVariant variant) {
    return codeLinePieces(code, displayChar, variant).join(QString());
}

void Chronogramme(DrawSurface& s, const ChronoInput& in, ChronoVariant variant) {
    using Style = DrawSurface::LineStyle;

    // Axes: 0 V of the electrical trace, 0 of the logical trace.
    s.Line(kLeft, kElectricAxis, kRight, kElectricAxis, kBlack);
    s.Line(kLeft, kLogic0, kRight, kLogic0, kBlack);

    // The idle line before the frame.
    s.Line(kLeft, kElectric1, kFrameStart + 1, kElectric1, kBlue);
    s.Line(kLeft, kLogic1, kFrameStart + 1, kLogic1, kRed);

    // One cell per bit, each with its two dotted boundaries whether or not the level changes.
    int x = kFrameStart;
    for (const QChar bit : in.FrameBits) {
        const int start = x + 1;
        x += kCell;
        const bool one = bit == QLatin1Char('1');
        const int electric = one ? kElectric1 : kElectric0;
        const int logic = one ? kLogic1 : kLogic0;
        s.Line(start, electric, x + 2, electric, kBlue);
        s.Line(start, logic, x + 1, logic, kRed);
        s.Line(start, kElectric1, start, kElectric0, kBlack, Style::Dotted);
        s.Line(start, kLogic1, start, kLogic0, kBlack, Style::Dotted);
    }

    // The end of the frame; a half stop bit is shown by one more boundary half a cell further,
    // the frame holding a single stop character.
    s.Line(x, kElectric1, x, kElectric0, kBlack, Style::Dotted);
    s.Line(x + 1, kLogic1, x + 1, kLogic0, kBlack, Style::Dotted);
    if (in.StopBits == QLatin1String("1.5")) {
        s.Line(x + 20, kElectric1, x + 20, kElectric0, kBlack, Style::Dotted);
        s.Line(x + 21, kLogic1, x + 21, kLogic0, kBlack, Style::Dotted);
    }

    printLine(s, kFrameStart, kNamesRow, bitNamesPieces(in.DataBits, in.ParityLetter, in.StopBits));

    // The idle line after the frame.
    s.Line(x, kLogic1, kRight, kLogic1, kRed);
    s.Line(x, kElectric1, kRight, kElectric1, kBlue);

    printAt(s, 10, 30, QStringLiteral("    Niveaux électriques:"));
    printAt(s, 30, 60, QStringLiteral("+5v à +15v"));
    printAt(s, 20, 110, QStringLiteral("0v"));
    printAt(s, 30, 160, QStringLiteral("-15v à -5v"));
    printAt(s, 10, 200, QStringLiteral("    Niveaux logiques:"));
    printAt(s, 30, 230, QStringLiteral("1"));
    printAt(s, 30, 270, QStringLiteral("0"));

    const bool sheet = variant == ChronoVariant::Sheet;
    printLine(s, sheet ? 10 : 100, sheet ? 310 : 330,
              codeLinePieces(in.CurrentCode, in.DisplayChar, variant));
}

}  // namespace chrono
