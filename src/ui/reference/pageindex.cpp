#include "ui/reference/pageindex.h"

#include <QDir>
#include <QFile>

#include "ui/reference/finfo.h"
#include "ui/reference/fmessage.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

namespace pageindex {

namespace {

const QString kFolder = QStringLiteral(":/pages");
const QString kSuffix = QStringLiteral(".page");

QString path(const QString& name) {
    return kFolder + QLatin1Char('/') + name + kSuffix;
}

}  // namespace

QStringList names() {
    formkit::picture(QStringLiteral(":/info-icon.svg"), 1, 1);  // the resources registered
    QStringList out;
    for (const QString& file : QDir(kFolder).entryList({QLatin1Char('*') + kSuffix}, QDir::Files))
        out << file.chopped(kSuffix.size());
    return out;
}

bool has(const QString& name) {
    return !name.isEmpty() && names().contains(name);
}

pages::ParseResult load(const QString& name) {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("page introuvable"), 0};
    return pages::parse(QString::fromUtf8(file.readAll()));
}

PageWindow* window(Forms& forms, const QString& windowName) {
    if (windowName == QStringLiteral("FMessage")) return &forms.get<FMessage>();
    if (windowName == QStringLiteral("FInfo")) return &forms.get<FInfo>();
    if (windowName == QStringLiteral("FInfo1")) return &forms.get<FInfo1>();
    return nullptr;
}

bool open(Forms& forms, const QString& name) {
    const pages::ParseResult r = load(name);
    PageWindow* w = r.page ? window(forms, r.page->window) : nullptr;
    if (!w) {
        const QString why = r.page ? QStringLiteral("fenêtre inconnue") : r.error;
        forms.ShowError(QStringLiteral("La page « %1 » ne peut pas être affichée (%2, ligne %3).")
                            .arg(name, why)
                            .arg(r.line));
        return false;
    }
    w->showPage(*r.page);
    return true;
}

}  // namespace pageindex
