#include "core/accesscode.h"

#include "core/codepage.h"

namespace accesscode {

QString ToStoredOrder(const QString& clear) {
    if (clear.size() != 5) return clear;
    const QChar order[5] = {clear[0], clear[2], clear[3], clear[4], clear[1]};
    return QString(order, 5);
}

QString FromStoredOrder(const QString& stored) {
    if (stored.size() != 5) return stored;
    const QChar order[5] = {stored[0], stored[4], stored[1], stored[2], stored[3]};
    return QString(order, 5);
}

QString storedNoCode() {
    return ToStoredOrder(NoCodeMarker);
}

bool isNoCode(const QString& stored) {
    return FromStoredOrder(stored) == NoCodeMarker;
}

bool isStorable(const QString& clear) {
    if (clear.size() != 5) return false;
    if (clear.contains(QLatin1Char('"'))) return false;
    // Control characters include line breaks and the code page's five unassigned bytes.
    for (QChar ch : clear) {
        if (ch.category() == QChar::Other_Control) return false;
    }
    return cp1252::canEncode(clear);
}

NewCodeEntry judgeNewCode(const QString& entered) {
    if (entered.isEmpty()) return NewCodeEntry::Empty;
    return isStorable(entered) ? NewCodeEntry::Accept : NewCodeEntry::AskAgain;
}

}  // namespace accesscode
