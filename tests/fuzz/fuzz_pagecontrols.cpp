// A page window's table of controls as a teacher edits it: a table that reads has one cancel
// button and names each control once, places every control wholly on the page, right of and
// below its corner, and, written back in the table's own form, reads the same.

#include "check.h"
#include "core/pagecontrols.h"

namespace {

using Kind = pages::ControlSpec::Kind;

QString kindWord(Kind kind) {
    switch (kind) {
        case Kind::Picture:
            return QStringLiteral("image");
        case Kind::Link:
            return QStringLiteral("lien");
        case Kind::Button:
            return QStringLiteral("bouton");
        case Kind::Cancel:
            return QStringLiteral("annuler");
        case Kind::Frame:
            return QStringLiteral("cadre");
        case Kind::Line:
            return QStringLiteral("ligne");
    }
    return {};
}

QString written(const pages::ControlTable& table) {
    QStringList out;
    for (const auto& c : table.controls) {
        const QRect& g = c.geometry;
        const QString content = c.showsDrawing() ? c.content.mid(2) : c.content;
        out << QStringList{kindWord(c.kind),
                           c.name,
                           QStringLiteral("%1 %2 %3 %4")
                               .arg(g.x())
                               .arg(g.y())
                               .arg(g.width())
                               .arg(g.height()),
                           content,
                           c.tip,
                           c.shownAtStart ? "montré" : "caché"}
                   .join(" | ");
    }
    return out.join("\r\n");
}

bool same(const pages::ControlSpec& a, const pages::ControlSpec& b) {
    return a.kind == b.kind && a.name == b.name && a.geometry == b.geometry &&
           a.content == b.content && a.tip == b.tip && a.shownAtStart == b.shownAtStart;
}

void checkTable(const pages::ControlTable& table) {
    int cancels = 0;
    QStringList names;
    for (const auto& c : table.controls) {
        cancels += c.kind == Kind::Cancel;
        names << c.name;
        FUZZ_CHECK(!c.name.isEmpty() && !c.name.contains(' '));
        const QRect& g = c.geometry;
        FUZZ_CHECK(g.left() >= 0 && g.top() >= 0 && g.width() > 0 && g.height() > 0);
        FUZZ_CHECK(g.left() + g.width() <= pages::kMaxPageTwips);
        FUZZ_CHECK(g.top() + g.height() <= pages::kMaxPageTwips);
        FUZZ_CHECK(!c.content.isEmpty() && (!c.showsDrawing() || c.content.startsWith(":/")));
        FUZZ_CHECK(table.find(c.name).has_value());
    }
    FUZZ_CHECK(cancels == 1);
    FUZZ_CHECK(names.removeDuplicates() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto read = pages::parseControls(QString::fromUtf8(fuzz::bytes(data, size)));
    FUZZ_CHECK(read.table.has_value() == read.error.isEmpty());
    if (!read.table) return 0;
    checkTable(*read.table);

    const auto again = pages::parseControls(written(*read.table));
    FUZZ_CHECK(again.table.has_value());
    FUZZ_CHECK(again.table->controls.size() == read.table->controls.size());
    for (int i = 0; i < read.table->controls.size(); ++i)
        FUZZ_CHECK(same(again.table->controls[i], read.table->controls[i]));
    return 0;
}
