#pragma once
// The emulator on a pseudo-terminal of its own: the program opens the slave end (its path is
// slavePath(), and optionally a symbolic link to it) as it would a serial port.

#include <QSocketNotifier>
#include <QString>
#include <memory>

#include "bytelink.h"

namespace velmo {

class PtyLink : public ByteLink {
    Q_OBJECT
public:
    // `linkPath`, when not empty, becomes a symbolic link to the slave end while the link lives.
    explicit PtyLink(const QString& linkPath = QString(), QObject* parent = nullptr);
    ~PtyLink() override;

    QString open() override;
    void write(const QByteArray& bytes) override;
    QString slavePath() const { return slave_; }

private:
    QString fail(const QString& what);
    QString makeLink();
    void readMaster();

    QString linkPath_;
    QString slave_;
    int master_ = -1;
    int heldSlave_ = -1;
    bool linked_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace velmo
