#pragma once
// Where the emulator's bytes come from and go to: a serial device reached through the serial
// control, or a pseudo-terminal of its own. Nothing else of the emulator knows which.

#include <QByteArray>
#include <QObject>
#include <QString>

namespace velmo {

class ByteLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Makes the link usable; returns why it could not, or an empty text.
    virtual QString open() = 0;
    virtual void write(const QByteArray& bytes) = 0;

signals:
    void received(const QByteArray& bytes);
    // The link went away for good (the device was unplugged, the cable's other end is gone).
    void lost(const QString& why);
};

}  // namespace velmo
