#pragma once
// The oscilloscope's record as a Value Change Dump, for PulseView and sigrok-cli: one one-bit
// wire per channel, high at mark (logic 1), in nanoseconds from the first change kept.

#include <QIODevice>
#include <QList>
#include <QString>

#include "core/scope.h"

namespace scope {

struct NamedChannel {
    QString name;  // a VCD identifier's reference: letters, digits and "_"
    const Channel* channel;
};

// Writes the whole record of the channels; false when the device refused the text.
bool writeVcd(QIODevice* out, const QList<NamedChannel>& channels);

}  // namespace scope
