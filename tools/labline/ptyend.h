#pragma once
// An end of the lab's line offered to external programs as a pseudo-terminal (bytes only, no
// modem lines). The end takes the settings the program gives the terminal (speed, data bits,
// parity, stop bits); a new terminal starts raw at 9600 bauds, 8N1.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "serial/labline/encoder.h"

namespace lablined {

class PtyEnd : public QObject {
    Q_OBJECT
public:
    PtyEnd(const QString& end, const QString& link);
    ~PtyEnd() override;

    // Makes the pseudo-terminal and its link; false with `error` set.
    bool start(QString* error);
    QString end() const { return end_; }
    labline::Format format() const { return format_; }
    // Bytes received by the end, handed to the program.
    void deliver(const QByteArray& bytes);
    // Off while the end's queue is full: the terminal then holds the program's writes back.
    void setReading(bool on);

signals:
    // The program changed the terminal's settings; they apply to what follows.
    void settingsChanged(const labline::Format& format);
    void written(const QByteArray& bytes);

private:
    void readProgram();

    QString end_;
    QString link_;
    int master_ = -1;
    int slave_ = -1;  // kept open, so that the terminal outlives the programs that use it
    labline::Format format_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// The format a terminal's settings describe.
labline::Format termiosFormat(int fd);

}  // namespace lablined
