#pragma once
// Watching wires of an end of the virtual lab's line, as an oscilloscope's probes do: a
// connection to the lab's daemon that changes nothing on the line and receives the level
// changes of the chosen wires with their times on the line's clock, how far the record is
// complete, and how many changes were lost when it did not keep up.

#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>

#include "serial/labline/line.h"

namespace serial {

class LabMonitor : public QObject {
    Q_OBJECT
public:
    struct Change {
        labline::Nanos at;
        int wire;  // its index in the list watched
        bool high;
    };

    explicit LabMonitor(QObject* parent = nullptr);
    ~LabMonitor() override;

    // Watches `wires` of the end a lab target ("lab:FOLDER/END") names; false with the reason
    // when there is no lab there or it refused.
    bool watch(const QString& target, const QList<labline::Signal>& wires, QString* why = nullptr);
    void stop();
    bool isWatching() const { return fd_ >= 0; }

signals:
    // Changes in time order; the record is then complete up to `completeTo`.
    void changes(const QList<serial::LabMonitor::Change>& changes, labline::Nanos completeTo);
    void lost(qint64 count);
    // The line went away.
    void ended();

private:
    void readDaemon();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace serial
