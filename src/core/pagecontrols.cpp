#include "core/pagecontrols.h"

#include <QRegularExpression>
#include <QStringList>

namespace pages {

namespace {

constexpr int kFields = 6;

bool readKind(const QString& word, ControlSpec::Kind* kind) {
    static const QList<QPair<QString, ControlSpec::Kind>> kinds = {
        {QStringLiteral("image"), ControlSpec::Kind::Picture},
        {QStringLiteral("lien"), ControlSpec::Kind::Link},
        {QStringLiteral("bouton"), ControlSpec::Kind::Button},
        {QStringLiteral("annuler"), ControlSpec::Kind::Cancel},
        {QStringLiteral("cadre"), ControlSpec::Kind::Frame},
        {QStringLiteral("ligne"), ControlSpec::Kind::Line},
    };
    for (const auto& k : kinds)
        if (k.first == word) {
            *kind = k.second;
            return true;
        }
    return false;
}

bool readGeometry(const QString& text, QRect* out) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4) return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok || v[i] < 0) return false;
    }
    if (v[2] == 0 || v[3] == 0) return false;
    if (qint64(v[0]) + v[2] > kMaxPageTwips || qint64(v[1]) + v[3] > kMaxPageTwips) return false;
    *out = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

// One control's line; the reason when it is not one.
QString readControl(const QString& line, ControlSpec* c) {
    const QStringList f = line.split(QLatin1Char('|'));
    if (f.size() != kFields) return QStringLiteral("six champs séparés par « | » attendus");
    if (!readKind(f[0].trimmed(), &c->kind))
        return QStringLiteral("genre inconnu : %1").arg(f[0].trimmed());
    c->name = f[1].trimmed();
    if (c->name.isEmpty() || c->name.contains(QLatin1Char(' ')))
        return QStringLiteral("nom invalide");
    if (!readGeometry(f[2], &c->geometry))
        return QStringLiteral("position invalide (gauche haut largeur hauteur)");
    c->content = f[3].trimmed();
    if (c->content.isEmpty()) return QStringLiteral("dessin ou légende manquant");
    if (c->showsDrawing()) c->content.prepend(QStringLiteral(":/"));
    c->tip = f[4].trimmed();
    const QString start = f[5].trimmed();
    if (start != QStringLiteral("montré") && start != QStringLiteral("caché"))
        return QStringLiteral("« montré » ou « caché » attendu");
    c->shownAtStart = start == QStringLiteral("montré");
    return QString();
}

}  // namespace

std::optional<ControlSpec> ControlTable::find(const QString& name) const {
    for (const ControlSpec& c : controls)
        if (c.name == name) return c;
    return std::nullopt;
}

ControlTableResult parseControls(const QString& text) {
    ControlTable table;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    int cancels = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        ControlSpec c;
        c.fileLine = i + 1;
        if (const QString why = readControl(line, &c); !why.isEmpty())
            return {std::nullopt, why, i + 1};
        if (table.find(c.name))
            return {std::nullopt, QStringLiteral("nom déjà pris : %1").arg(c.name), i + 1};
        cancels += c.kind == ControlSpec::Kind::Cancel;
        table.controls.append(c);
    }
    if (cancels != 1)
        return {std::nullopt, QStringLiteral("un seul bouton « annuler » attendu"), 0};
    return {table, QString(), 0};
}

}  // namespace pages
