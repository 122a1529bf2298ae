#pragma once
// The emulator at work on a link: received bytes go to the unit, its replies leave when their
// pauses are over, each waited for with a timer.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "bytelink.h"
#include "emulator.h"

namespace velmo {

class Session : public QObject {
    Q_OBJECT
public:
    Session(ByteLink* link, const Misbehaviour& how, bool verbose, QObject* parent = nullptr);

private:
    void onReceived(const QByteArray& bytes);
    void sendDue();

    ByteLink* link_;
    bool verbose_;
    QElapsedTimer clock_;
    Emulator emulator_;
    QTimer next_;
};

}  // namespace velmo
