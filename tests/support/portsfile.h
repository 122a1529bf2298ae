#pragma once
// Writes the ports.232 of a test's folder: each port's device, with the test's own choices over
// the defaults it is given.

#include <QMap>
#include <QString>

namespace testsupport {

bool writePortsFile(const QString& folder, QMap<int, QString> defaults,
                    const QMap<int, QString>& overrides);

}  // namespace testsupport
