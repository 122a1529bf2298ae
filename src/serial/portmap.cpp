#include "serial/portmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <algorithm>

namespace portmap {

namespace {

constexpr int kPorts = 4;
// One character in this many, control or not UTF-8, is the most a text file has.
constexpr int kBinaryShare = 4;
const QByteArray kByteOrderMark("\xEF\xBB\xBF");
const QByteArray kLabPrefix("lab:");

struct Line {
    int number = 0;  // from 1
    QByteArray text;
    bool cut = false;  // the read stopped inside this line
};

QString named(const Line& line, const QString& what) {
    return QStringLiteral("ports.232, ligne %1 (%2) : %3")
        .arg(line.number)
        .arg(QString::fromUtf8(line.text.left(40)).replace(QChar(0), QStringLiteral("\\0")), what);
}

// The port a line is for (0: none), and whether it is written as a port name.
int portOf(const QByteArray& name, bool* wellFormed) {
    static const QRegularExpression form(QStringLiteral("^com(\\d+)$"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(name));
    if (!m.hasMatch()) return 0;
    const int port = m.captured(1).toInt();
    if (port < 1 || port > kPorts) return 0;
    *wellFormed = m.captured(1).size() == 1;
    return port;
}

void parseLine(const Line& line, QMap<int, Entry>& map) {
    const QByteArray text = line.text.trimmed();
    if (text.isEmpty() || text.startsWith('#')) return;
    const qsizetype eq = text.indexOf('=');
    if (eq <= 0) return;
    bool wellFormed = false;
    const int port = portOf(text.left(eq).trimmed().toLower(), &wellFormed);
    if (port == 0) return;
    const QByteArray device = text.mid(eq + 1).trimmed();
    // Decoding drops a byte-order mark, and other blanks than ASCII's may surround the name: a
    // device that reads as nothing would lead to the file's own folder.
    const QString name = QString::fromUtf8(device).trimmed();
    QString problem;
    if (line.cut) {
        problem = named(line, QStringLiteral("coupée là où s'arrête la lecture du fichier"));
    } else if (!wellFormed) {
        problem = named(line, QStringLiteral("nom de port mal écrit (Com1 à Com4)"));
    } else if (name.isEmpty()) {
        problem = named(line, QStringLiteral("aucun périphérique pour Com%1").arg(port));
    } else if (device.contains('\0')) {
        problem =
            named(line, QStringLiteral("caractère nul dans le périphérique de Com%1").arg(port));
    } else if (std::any_of(name.begin(), name.end(), [](QChar c) {
                   return c == QChar::ReplacementCharacter || c.category() == QChar::Other_Control;
               })) {
        // No device is named so: bytes that are not UTF-8, or a control character, are a file
        // damaged or saved in another encoding.
        problem =
            named(line, QStringLiteral("périphérique de Com%1 illisible (caractère de contrôle "
                                       "ou octets hors UTF-8)")
                            .arg(port));
    }
    map.insert(port, problem.isEmpty() ? Entry{name, {}} : Entry{{}, problem});
}

// A relative device, or the folder of a relative lab end, belongs to the file's folder.
QString anchored(const QString& device, const QString& dir) {
    if (device.startsWith(QLatin1String(kLabPrefix))) {
        const QString rest = device.mid(kLabPrefix.size());
        return QLatin1String(kLabPrefix) +
               (QDir::isRelativePath(rest) ? QDir(dir).absoluteFilePath(rest) : rest);
    }
    return QDir::isRelativePath(device) ? QDir(dir).absoluteFilePath(device) : device;
}

QMap<int, Entry> allMissing(const QString& why) {
    QMap<int, Entry> map;
    for (int port = 1; port <= kPorts; ++port)
        map.insert(port, Entry{{}, QStringLiteral("ports.232 : ") + why});
    return map;
}

bool looksUtf16(const QByteArray& text) {
    if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF")) return true;
    // UTF-16 puts a NUL beside every Latin letter, from the first one on.
    auto latin = [](char c) { return c >= ' ' && c <= '~'; };
    return text.size() >= 2 &&
           ((text.at(0) == '\0' && latin(text.at(1))) || (text.at(1) == '\0' && latin(text.at(0))));
}

// Text has few control characters and little that is not UTF-8: past a quarter of the
// characters, the file is something else saved under the name.
bool looksBinary(const QByteArray& text) {
    const QString decoded = QString::fromUtf8(text);
    const qsizetype odd = std::count_if(decoded.begin(), decoded.end(), [](QChar c) {
        return c == QChar::ReplacementCharacter ||
               (c.category() == QChar::Other_Control && c != '\t' && c != '\n' && c != '\r');
    });
    // Line ends are not counted either way, so that a last line ended or not reads the same.
    const qsizetype ends = decoded.count(u'\n') + decoded.count(u'\r');
    return odd * kBinaryShare > decoded.size() - ends;
}

// Why the text read is not a mapping at all, or nothing.
QString notText(const QByteArray& text) {
    if (looksUtf16(text))
        return QStringLiteral("le fichier est écrit en UTF-16 ; enregistrez-le en UTF-8");
    if (looksBinary(text)) return QStringLiteral("le fichier n'est pas du texte");
    return {};
}

}  // namespace

QString defaultDevice(int portNumber) {
    if (portNumber < 1 || portNumber > kPorts) return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QMap<int, Entry> parse(const QByteArray& text, bool cut) {
    if (const QString why = notText(text); !why.isEmpty()) return allMissing(why);
    QMap<int, Entry> map;
    const QByteArray body = text.startsWith(kByteOrderMark) ? text.mid(3) : text;
    const QList<QByteArray> lines = body.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        parseLine(Line{i + 1, lines[i], cut && i == lines.size() - 1}, map);
    }
    if (!cut) return map;
    for (int port = 1; port <= kPorts; ++port) {
        if (map.contains(port)) continue;
        map.insert(port, Entry{{},
                               QStringLiteral("ports.232, après la ligne %1 : le fichier dépasse "
                                              "les %2 octets lus, Com%3 peut être défini plus loin")
                                   .arg(lines.size())
                                   .arg(kMaxFileBytes)
                                   .arg(port)});
    }
    return map;
}

Entry resolve(int portNumber, const QString& dir) {
    if (portNumber < 1 || portNumber > kPorts) return {};
    const QString path = QDir(dir).filePath(QStringLiteral("ports.232"));
    const QFileInfo info(path);
    if (!info.exists()) return Entry{defaultDevice(portNumber), {}};
    if (info.isDir())
        return allMissing(QStringLiteral("c'est un dossier, pas un fichier")).value(portNumber);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return allMissing(QStringLiteral("le fichier ne peut pas être lu")).value(portNumber);
    const QByteArray text = file.read(kMaxFileBytes);
    const bool cut = !file.atEnd();
    const QMap<int, Entry> map = parse(text, cut);
    const auto it = map.constFind(portNumber);
    if (it == map.constEnd()) return Entry{defaultDevice(portNumber), {}};
    if (!it->problem.isEmpty()) return *it;
    return Entry{anchored(it->device, dir), {}};
}

QString resolveDevice(int portNumber, const QString& dir) {
    return resolve(portNumber, dir).device;
}

}  // namespace portmap
