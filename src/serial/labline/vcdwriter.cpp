#include "serial/labline/vcdwriter.h"

namespace labline {

namespace {

// Identifiers are drawn from the printable characters '!' to '~'.
constexpr int kFirstIdChar = 33;
constexpr int kIdChars = 94;

}  // namespace

VcdWriter::VcdWriter(QIODevice* out, const QStringList& ends) : out_(out), ends_(ends) {
    for (const QString& end : ends_) {
        for (int s = 0; s < kSignalCount; ++s) ids_.append(identifier(end, Signal(s)));
    }
    writeHeader();
}

QString VcdWriter::wireName(const QString& end, Signal signal) {
    QString name = end;
    for (QChar& c : name) {
        if (!c.isLetterOrNumber() || c.unicode() > 127) c = '_';
    }
    return name + '_' + signalName(signal);
}

QByteArray VcdWriter::identifier(const QString& end, Signal signal) const {
    int n = int(ends_.indexOf(end)) * kSignalCount + int(signal);
    QByteArray id;
    do {
        id.append(char(kFirstIdChar + n % kIdChars));
        n /= kIdChars;
    } while (n > 0);
    return id;
}

void VcdWriter::writeHeader() {
    QByteArray text = "$timescale 1 ns $end\n$scope module labline $end\n";
    for (const QString& end : ends_) {
        for (int s = 0; s < kSignalCount; ++s) {
            text += "$var wire 1 " + identifier(end, Signal(s)) + ' ' +
                    wireName(end, Signal(s)).toLatin1() + " $end\n";
        }
    }
    text += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
    for (const QString& end : ends_) {
        for (int s = 0; s < kSignalCount; ++s) {
            text += (idleLevel(Signal(s)) ? '1' : '0') + identifier(end, Signal(s)) + '\n';
        }
    }
    text += "$end\n";
    out_->write(text);
}

void VcdWriter::change(Nanos at, const QString& end, Signal signal, bool high) {
    const qsizetype index = ends_.indexOf(end);
    if (index < 0) return;
    text_.resize(0);
    if (at != written_) {
        text_.append('#').append(QByteArray::number(at)).append('\n');
        written_ = at;
    }
    text_.append(high ? '1' : '0').append(ids_[index * kSignalCount + int(signal)]).append('\n');
    out_->write(text_);
}

LevelProbe VcdWriter::probe() {
    return [this](Nanos at, const QString& end, Signal signal, bool high) {
        change(at, end, signal, high);
    };
}

}  // namespace labline
