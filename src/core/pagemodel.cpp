#include "core/pagemodel.h"

#include <QRegularExpression>

#include "core/drawsurface.h"

namespace pages {

namespace {

const QString kBodyStart = QStringLiteral("texte:");
const QString kEmptyLine = QStringLiteral("¶");
const QLatin1Char kComment('#');
const QLatin1Char kZone('|');
const QLatin1Char kEscape('\\');
// The sizes a page may print in, in pixels: still legible, and not larger than a caption.
constexpr int kSmallestFont = 7;
constexpr int kLargestFont = 16;

struct Reader {
    Page page;
    ParseResult failure;

    bool fail(int line, const QString& why) {
        failure.error = why;
        failure.line = line;
        return false;
    }
};

QStringList names(const QString& value) {
    return value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool readNumber(const QString& text, int* value) {
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok && *value >= 0;
}

// One "key: value" line above the text.
bool readHeader(Reader& r, const QString& line, int number) {
    static const QRegularExpression caption(QStringLiteral("^légende (\\S+)$"));
    static const QRegularExpression link(QStringLiteral("^lien (\\S+)$"));
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0) return r.fail(number, QStringLiteral("« clé: valeur » attendu"));
    const QString key = line.left(colon).trimmed();
    const QString value = line.mid(colon + 1).trimmed();
    if (key == QStringLiteral("fenêtre")) {
        r.page.window = value;
    } else if (key == QStringLiteral("titre")) {
        r.page.caption = value;
    } else if (key == QStringLiteral("montrer")) {
        r.page.show += names(value);
    } else if (key == QStringLiteral("cacher")) {
        r.page.hide += names(value);
    } else if (key == QStringLiteral("focus")) {
        r.page.focus = value;
    } else if (key == QStringLiteral("y")) {
        if (!readNumber(value, &r.page.firstY)) return r.fail(number, QStringLiteral("y invalide"));
    } else if (const auto m = caption.match(key); m.hasMatch()) {
        r.page.captions.append({m.captured(1), value});
    } else if (const auto l = link.match(key); l.hasMatch() && !value.isEmpty()) {
        r.page.links.append({l.captured(1), value});
    } else {
        return r.fail(number, QStringLiteral("clé inconnue : %1").arg(key));
    }
    return true;
}

bool readColour(const QString& args, PageLine* out, QString* error) {
    const QStringList parts = names(args);
    if (parts.isEmpty()) {
        out->kind = PageLine::Kind::DefaultColour;
        return true;
    }
    int rgb[3];
    *error = QStringLiteral("couleur : trois nombres de 0 à 255 attendus (R G B)");
    if (parts.size() != 3) return false;
    for (int i = 0; i < 3; ++i)
        if (!readNumber(parts[i], &rgb[i]) || rgb[i] > 255) return false;
    out->kind = PageLine::Kind::Colour;
    out->colour = QColor(rgb[0], rgb[1], rgb[2]);
    return true;
}

bool readBody(Reader& r, const QString& line, int number) {
    PageLine out;
    QString error;
    if (!parseLine(line, number, &out, &error)) return r.fail(number, error);
    r.page.lines.append(out);
    return true;
}

// The cells of a text line: "|" ends a cell, "\|" is a bar and "\\" a backslash in it; any
// other backslash is itself.
QStringList cells(const QString& text) {
    QStringList out{QString()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c == kEscape && (next == kZone || next == kEscape)) {
            out.last() += next;
            ++i;
        } else if (c == kZone) {
            out << QString();
        } else {
            out.last() += c;
        }
    }
    return out;
}

}  // namespace

bool parseLine(const QString& line, int fileLine, PageLine* out, QString* error) {
    *out = PageLine();
    out->fileLine = fileLine;
    if (line == kEmptyLine) {
        out->kind = PageLine::Kind::Empty;
    } else if (line.startsWith(QLatin1String("@y "))) {
        out->kind = PageLine::Kind::MoveY;
        *error = QStringLiteral("y invalide");
        return readNumber(line.mid(3), &out->y);
    } else if (line.startsWith(QLatin1String("@police "))) {
        out->kind = PageLine::Kind::FontSize;
        *error = QStringLiteral("police : une taille de %1 à %2 pixels attendue")
                     .arg(kSmallestFont)
                     .arg(kLargestFont);
        return readNumber(line.mid(8), &out->pixels) && out->pixels >= kSmallestFont &&
               out->pixels <= kLargestFont;
    } else if (line.startsWith(QLatin1String("@couleur"))) {
        return readColour(line.mid(8), out, error);
    } else {
        const qsizetype mark = line.indexOf(QLatin1String("> "));
        *error = QStringLiteral("« X> texte » attendu");
        if (mark <= 0 || !readNumber(line.left(mark), &out->x)) return false;
        out->text = line.mid(mark + 2);
    }
    return true;
}

QStringList Page::controls() const {
    QStringList all = show + hide;
    for (const auto& c : captions) all << c.first;
    for (const auto& l : links) all << l.first;
    if (!focus.isEmpty()) all << focus;
    all.removeDuplicates();
    return all;
}

ParseResult parse(const QString& text) {
    Reader r;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    bool inBody = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.trimmed().isEmpty()) continue;
        if (inBody) {
            if (!readBody(r, line, i + 1)) return r.failure;
        } else if (line.trimmed() == kBodyStart) {
            inBody = true;
        } else if (!line.startsWith(kComment) && !readHeader(r, line, i + 1)) {
            return r.failure;
        }
    }
    if (r.page.window.isEmpty()) return {std::nullopt, QStringLiteral("fenêtre manquante"), 0};
    if (!inBody) return {std::nullopt, QStringLiteral("« texte: » manquant"), 0};
    return {r.page, QString(), 0};
}

void draw(const Page& page, DrawSurface& surface) {
    surface.CurrentY = page.firstY;
    drawLines(page.lines, surface);
}

void drawLines(const QList<PageLine>& lines, DrawSurface& surface) {
    const QColor own = surface.ForeColor;
    const QFont font = surface.Font;
    for (const PageLine& line : lines) {
        switch (line.kind) {
            case PageLine::Kind::Text:
                surface.CurrentX = line.x;
                surface.PrintZones(cells(line.text));
                break;
            case PageLine::Kind::Empty:
                surface.Print();
                break;
            case PageLine::Kind::MoveY:
                surface.CurrentY = line.y;
                break;
            case PageLine::Kind::Colour:
                surface.ForeColor = line.colour;
                break;
            case PageLine::Kind::DefaultColour:
                surface.ForeColor = own;
                break;
            case PageLine::Kind::FontSize:
                surface.Font.setPixelSize(line.pixels);
                break;
        }
    }
    surface.Font = font;
}

QStringList outside(const DrawSurface& surface, const QRectF& area) {
    QStringList out;
    for (const DrawItem& item : surface.items()) {
        if (item.kind != DrawItem::Kind::Text || item.text.isEmpty()) continue;
        // By its corners: a text of no width (a soft hyphen) is an empty rectangle, which no
        // area "contains".
        const QRectF box(item.p1, item.extent);
        const bool inside = box.left() >= area.left() && box.top() >= area.top() &&
                            box.right() <= area.right() && box.bottom() <= area.bottom();
        if (!inside) out << item.text;
    }
    return out;
}

}  // namespace pages
