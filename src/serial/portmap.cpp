#include "serial/portmap.h"

#include <QDir>
#include <QFile>
#include <QList>

namespace portmap {

QString defaultDevice(int portNumber) {
    if (portNumber < 1 || portNumber > 4) return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QMap<int, QString> parse(const QByteArray& text) {
    QMap<int, QString> map;
    const QList<QByteArray> lines = text.split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const int eq = line.indexOf('=');
        if (eq <= 0) continue;
        const QByteArray name = line.left(eq).trimmed().toLower();
        const QString device = QString::fromUtf8(line.mid(eq + 1).trimmed());
        if (device.isEmpty() || name.size() != 4 || !name.startsWith("com")) continue;
        const char digit = name.at(3);
        if (digit < '1' || digit > '4') continue;
        map.insert(digit - '0', device);
    }
    return map;
}

QString resolveDevice(int portNumber, const QString& dir) {
    if (portNumber < 1 || portNumber > 4) return {};
    QFile file(QDir(dir).filePath(QStringLiteral("ports.232")));
    if (file.open(QIODevice::ReadOnly)) {
        // A mapping file is a few lines; anything much larger is not one.
        const QMap<int, QString> map = parse(file.read(64 * 1024));
        const auto it = map.constFind(portNumber);
        if (it != map.constEnd()) {
            QString device = it.value();
            if (QDir::isRelativePath(device)) device = QDir(dir).absoluteFilePath(device);
            return device;
        }
    }
    return defaultDevice(portNumber);
}

}  // namespace portmap
