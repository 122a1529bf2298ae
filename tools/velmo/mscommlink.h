#pragma once
// The emulator on a serial device (a real port, or one end of a virtual cable) through the
// program's serial control, at the unit's line settings.

#include <QString>

#include "bytelink.h"
#include "serial/mscomm.h"

namespace velmo {

class MSCommLink : public ByteLink {
    Q_OBJECT
public:
    explicit MSCommLink(const QString& devicePath, QObject* parent = nullptr);

    QString open() override;
    void write(const QByteArray& bytes) override;

private:
    void onComm();

    QString path_;
    MSComm comm_;
};

}  // namespace velmo
