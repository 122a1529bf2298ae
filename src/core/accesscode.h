#pragma once
// The access code: five characters, kept in a shuffled "stored order" in memory and in
// config.232, and turned into clear order only for the time of a check or a change.

#include <QString>

namespace accesscode {

// The clear-order word that means "no access code is set".
inline const QString NoCodeMarker = QStringLiteral("tulip");

// c1 c2 c3 c4 c5 -> c1 c3 c4 c5 c2. Texts that are not five characters long come back unchanged.
QString ToStoredOrder(const QString& clear);

// s1 s2 s3 s4 s5 -> s1 s5 s2 s3 s4, the inverse of ToStoredOrder.
QString FromStoredOrder(const QString& stored);

// The stored form of NoCodeMarker, what config.232 holds when no code is set.
QString storedNoCode();

// True when the stored code means that no access code is set.
bool isNoCode(const QString& stored);

// Whether a clear code can be kept in config.232 faithfully: exactly five characters, no double
// quote and no control character (the file has no escape, and a code must be typeable), every
// character with a byte in the file's code page.
bool isStorable(const QString& clear);

// How an entry for a new access code is taken: the empty text (cancel or nothing typed), an
// entry to ask for again (fewer than five characters, or characters config.232 cannot hold),
// or an accepted code.
enum class NewCodeEntry { Empty, AskAgain, Accept };
NewCodeEntry judgeNewCode(const QString& entered);

}  // namespace accesscode
