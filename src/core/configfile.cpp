#include "core/configfile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

#include "core/accesscode.h"
#include "core/codepage.h"

namespace configfile {
namespace {

QString quoted(const QString& text) {
    return '"' + text + '"';
}

struct Field {
    QString text;
    bool quoted = false;
};

// Splits the line into fields: a quoted field runs to its closing quote (commas inside are text),
// an unquoted one to the next comma, without surrounding blanks.
std::optional<QList<Field>> splitFields(const QString& line) {
    QList<Field> fields;
    int i = 0;
    const int n = line.size();
    while (true) {
        while (i < n && line[i] == ' ') ++i;
        Field f;
        if (i < n && line[i] == '"') {
            const int close = line.indexOf('"', i + 1);
            if (close < 0) return std::nullopt;
            f.text = line.mid(i + 1, close - i - 1);
            f.quoted = true;
            i = close + 1;
            while (i < n && line[i] == ' ') ++i;
        } else {
            int end = line.indexOf(',', i);
            if (end < 0) end = n;
            f.text = line.mid(i, end - i).trimmed();
            i = end;
        }
        fields.append(f);
        if (i >= n) break;
        if (line[i] != ',') return std::nullopt;
        ++i;
    }
    return fields;
}

std::optional<int> bareInteger(const Field& f) {
    if (f.quoted || f.text.isEmpty()) return std::nullopt;
    bool ok = false;
    const int v = f.text.toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}

}  // namespace

QByteArray format(const LinkRecord& c) {
    const QString line = quoted(c.Speed) + ',' + quoted(c.ParityName) + ',' +
                         quoted(c.ParityLetter) + ',' + quoted(c.DataBits) + ',' +
                         quoted(c.MaxCode) + ',' + quoted(c.StopBits) + ',' + quoted(c.PortName) +
                         ',' + quoted(c.MaxCodeHex) + ',' + QString::number(c.PortNumber) + ',' +
                         quoted(c.ProtocolName) + ',' + QString::number(int(c.Handshake)) + ',' +
                         quoted(c.AccessCode) + "\r\n";
    return cp1252::encode(line);
}

std::optional<LinkRecord> parse(const QByteArray& bytes) {
    QByteArray raw = bytes;
    if (raw.endsWith("\r\n"))
        raw.chop(2);
    else if (raw.endsWith('\n'))
        raw.chop(1);
    if (raw.contains('\n') || raw.contains('\r') || raw.contains('\0')) return std::nullopt;

    const auto fields = splitFields(cp1252::decode(raw));
    if (!fields || fields->size() != 12) return std::nullopt;
    const QList<Field>& f = *fields;
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 11}) {
        if (!f[i].quoted) return std::nullopt;
    }
    const auto portNumber = bareInteger(f[8]);
    const auto handshake = bareInteger(f[10]);
    if (!portNumber || !handshake) return std::nullopt;

    // A control character cannot be typed at the prompt: such a code would lock everyone out.
    const QString stored = f[11].text;
    if (std::any_of(stored.begin(), stored.end(),
                    [](QChar ch) { return ch.category() == QChar::Other_Control; }))
        return std::nullopt;
    LinkRecord c = linkconfig::defaults(accesscode::isStorable(accesscode::FromStoredOrder(stored))
                                            ? stored
                                            : accesscode::storedNoCode());
    const LinkRecord fallback = c;

    // Each family is taken whole when its fields agree with each other, else its default stays.
    linkconfig::setSpeed(c, f[0].text);

    LinkRecord parity = fallback;
    if (linkconfig::setParityByLetter(parity, f[2].text) && parity.ParityName == f[1].text) {
        c.ParityName = parity.ParityName;
        c.ParityLetter = parity.ParityLetter;
    }

    LinkRecord data = fallback;
    bool ok = false;
    const int bits = f[3].text.toInt(&ok);
    if (ok && f[3].text == QString::number(bits) && linkconfig::setDataBits(data, bits) &&
        data.MaxCode == f[4].text && data.MaxCodeHex == f[7].text) {
        c.DataBits = data.DataBits;
        c.MaxCode = data.MaxCode;
        c.MaxCodeHex = data.MaxCodeHex;
    }

    linkconfig::setStopBits(c, f[5].text);

    LinkRecord port = fallback;
    if (linkconfig::setPort(port, *portNumber) && port.PortName == f[6].text) {
        c.PortName = port.PortName;
        c.PortNumber = port.PortNumber;
    }

    for (auto spelling :
         {linkconfig::ProtocolSpelling::Menu, linkconfig::ProtocolSpelling::Properties}) {
        LinkRecord protocol = fallback;
        if (serial::isHandshaking(*handshake) &&
            linkconfig::setProtocol(protocol, serial::Handshaking(*handshake), spelling) &&
            protocol.ProtocolName == f[9].text) {
            c.ProtocolName = protocol.ProtocolName;
            c.Handshake = protocol.Handshake;
        }
    }
    return c;
}

Loaded LoadConfiguration(const QString& path) {
    Loaded result;
    result.config = linkconfig::defaults(accesscode::storedNoCode());
    QFile file(path);
    if (!file.exists()) {
        result.outcome = LoadOutcome::Missing;
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.outcome = LoadOutcome::Unreadable;
        return result;
    }
    // The file is one short line; a much larger file is not a configuration file.
    const QByteArray bytes = file.read(4096);
    const auto parsed = parse(bytes);
    if (!parsed || !file.atEnd()) {
        result.outcome = LoadOutcome::Corrupt;
        return result;
    }
    result.config = *parsed;
    return result;
}

bool WriteConfiguration(const QString& path, const LinkRecord& config) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = format(config);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace configfile
