#include "support/portsfile.h"

#include <QDir>
#include <QFile>

namespace testsupport {

bool writePortsFile(const QString& folder, QMap<int, QString> defaults,
                    const QMap<int, QString>& overrides) {
    for (auto it = overrides.begin(); it != overrides.end(); ++it) defaults[it.key()] = it.value();
    QFile file(QDir(folder).filePath(QStringLiteral("ports.232")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        file.write(QStringLiteral("Com%1=%2\n").arg(it.key()).arg(it.value()).toUtf8());
    }
    return file.flush();
}

}  // namespace testsupport
