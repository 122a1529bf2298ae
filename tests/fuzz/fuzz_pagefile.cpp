// Reference page files as a teacher edits them: a file that reads as a page names each control
// once, with no blank in a name, starts its text at a place on the page, and, written back in
// the file's own form, reads as the same page.

#include "check.h"
#include "core/pagemodel.h"

namespace {

QString lineText(const pages::PageLine& line) {
    using Kind = pages::PageLine::Kind;
    switch (line.kind) {
        case Kind::Text:
            return QString::number(line.x) + "> " + line.text;
        case Kind::Empty:
            return QStringLiteral("¶");
        case Kind::MoveY:
            return "@y " + QString::number(line.y);
        case Kind::Colour:
            return QStringLiteral("@couleur %1 %2 %3")
                .arg(line.colour.red())
                .arg(line.colour.green())
                .arg(line.colour.blue());
        case Kind::DefaultColour:
            return QStringLiteral("@couleur");
    }
    return {};
}

QString written(const pages::Page& page) {
    QStringList out;
    out << "fenêtre: " + page.window;
    if (!page.caption.isEmpty()) out << "titre: " + page.caption;
    if (!page.show.isEmpty()) out << "montrer: " + page.show.join(' ');
    if (!page.hide.isEmpty()) out << "cacher: " + page.hide.join(' ');
    for (const auto& c : page.captions) out << "légende " + c.first + ": " + c.second;
    for (const auto& l : page.links) out << "lien " + l.first + ": " + l.second;
    if (!page.focus.isEmpty()) out << "focus: " + page.focus;
    out << "y: " + QString::number(page.firstY) << QStringLiteral("texte:");
    for (const auto& line : page.lines) out << lineText(line);
    return out.join('\n') + '\n';
}

bool sameLines(const QList<pages::PageLine>& a, const QList<pages::PageLine>& b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].x != b[i].x || a[i].y != b[i].y ||
            a[i].text != b[i].text || a[i].colour != b[i].colour)
            return false;
    }
    return true;
}

void checkPage(const pages::Page& page) {
    FUZZ_CHECK(!page.window.isEmpty());
    FUZZ_CHECK(page.firstY >= 0);
    QStringList named = page.show + page.hide;
    for (const auto& c : page.captions) named << c.first;
    for (const auto& l : page.links) named << l.first;
    for (const QString& name : named) FUZZ_CHECK(!name.isEmpty() && !name.contains(' '));
    QStringList controls = page.controls();
    FUZZ_CHECK(controls.removeDuplicates() == 0);
    for (const QString& name : named) FUZZ_CHECK(controls.contains(name));
    for (const auto& line : page.lines) FUZZ_CHECK(line.x >= 0 && line.y >= 0 && line.fileLine > 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const pages::ParseResult read = pages::parse(QString::fromUtf8(fuzz::bytes(data, size)));
    FUZZ_CHECK(read.page.has_value() == read.error.isEmpty());
    if (!read.page) return 0;
    checkPage(*read.page);

    const pages::ParseResult again = pages::parse(written(*read.page));
    FUZZ_CHECK(again.page.has_value());
    const pages::Page& a = *read.page;
    const pages::Page& b = *again.page;
    FUZZ_CHECK(a.window == b.window && a.caption == b.caption && a.focus == b.focus);
    FUZZ_CHECK(a.show == b.show && a.hide == b.hide);
    FUZZ_CHECK(a.captions == b.captions && a.links == b.links);
    FUZZ_CHECK(a.firstY == b.firstY && sameLines(a.lines, b.lines));
    return 0;
}
