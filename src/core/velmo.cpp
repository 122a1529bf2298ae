#include "core/velmo.h"

#include <algorithm>

#include "core/velmotables.h"

namespace velmoxq {

namespace {

// A reply's number keeps at most this many integer and fraction digits, so that every
// computation on it stays within 64 bits.
constexpr int kMaxIntegerDigits = 12;
constexpr int kMaxFractionDigits = 3;

qint64 powerOfTen(int n) {
    qint64 p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// Rounded towards minus infinity, as Int does.
qint64 floorDiv(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Rounded to the nearest integer, a half to the even neighbour; b > 0.
qint64 roundHalfEven(qint64 a, qint64 b) {
    const qint64 q = floorDiv(a, b);
    const qint64 twiceRest = 2 * (a - q * b);
    if (twiceRest > b || (twiceRest == b && q % 2 != 0)) return q + 1;
    return q;
}

Decimal normalised(Decimal d) {
    while (d.scale > 0 && d.units % 10 == 0) {
        d.units /= 10;
        --d.scale;
    }
    return d;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLeadingSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

QByteArray commandText(Command command, int n) {
    const auto words = commandWords();
    const auto it = std::find_if(words.begin(), words.end(),
                                 [command](const CommandWord& w) { return w.command == command; });
    QByteArray text(it->word.data(), it->word.size());
    if (it->form == NumberForm::Plain) text += ' ' + QByteArray::number(n);
    if (it->form == NumberForm::Signed) text += ' ' + signedText({n, 0}).toLatin1();
    return text + kCarriageReturn;
}

PollRead pollRead(int step) {
    if (step < kAnalogInputs) return {Command::AnalogIn, step};
    return {Command::BinaryIn, step - kAnalogInputs};
}

int nextPollStep(int step) {
    return (step + 1) % kPollSteps;
}

Decimal readReply(const QByteArray& reply) {
    qsizetype i = 0;
    while (i < reply.size() && isLeadingSpace(reply[i])) ++i;
    bool negative = false;
    if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) negative = reply[i++] == '-';
    Decimal d;
    int digits = 0;
    for (; i < reply.size() && isDigit(reply[i]); ++i, ++digits) {
        d.units = std::min(d.units * 10 + (reply[i] - '0'), powerOfTen(kMaxIntegerDigits) - 1);
    }
    if (i < reply.size() && reply[i] == '.') {
        for (++i; i < reply.size() && isDigit(reply[i]); ++i, ++digits) {
            if (d.scale == kMaxFractionDigits) continue;
            d.units = d.units * 10 + (reply[i] - '0');
            ++d.scale;
        }
    }
    if (digits == 0) return {};
    if (negative) d.units = -d.units;
    return normalised(d);
}

QString analogInputLabel(int input) {
    return analogRanges()[input].label.toString();
}

Decimal analogInputVoltage(int input, const Decimal& code) {
    const AnalogRange& range = analogRanges()[input];
    const qint64 steps = floorDiv(code.units * range.fullScale, kMaxCode * powerOfTen(code.scale));
    return normalised({steps, range.scale});
}

Decimal analogOutputVoltage(int code) {
    const qint64 a = roundHalfEven(qint64(code) * kOutSpan, kOutHalfCode);
    return normalised({std::clamp<qint64>(a - kOutOffset, -kOutOffset, kOutOffset), kOutScale});
}

QString analogOutputText(int code) {
    const Decimal v = analogOutputVoltage(code);
    const QString sign = v.units > 0   ? QStringLiteral("+")
                         : v.units < 0 ? QStringLiteral("-")
                                       : QString();
    return sign + signedText({v.units < 0 ? -v.units : v.units, v.scale});
}

std::array<bool, kAnalogOutBits> analogOutputBits(int code) {
    std::array<bool, kAnalogOutBits> bits{};
    for (int bit = kAnalogOutBits - 1; bit >= 0; --bit) {
        bits[bit] = code >= bitWeight(bit);
        if (bits[bit]) code -= bitWeight(bit);
    }
    return bits;
}

int bitWeight(int bit) {
    return bitWeights()[bit];
}

QString plainText(const Decimal& value) {
    const Decimal d = normalised(value);
    const qint64 magnitude = d.units < 0 ? -d.units : d.units;
    const qint64 unit = powerOfTen(d.scale);
    QString text = d.units < 0 ? QStringLiteral("-") : QString();
    if (magnitude >= unit || d.scale == 0) text += QString::number(magnitude / unit);
    if (d.scale > 0) text += '.' + QString::number(magnitude % unit).rightJustified(d.scale, '0');
    return text;
}

QString signedText(const Decimal& value) {
    return value.units < 0 ? plainText(value) : ' ' + plainText(value);
}

}  // namespace velmoxq
