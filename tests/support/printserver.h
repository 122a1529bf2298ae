#pragma once
// A private print server for tests: a CUPS daemon of its own, run in the foreground as a child
// of the test, with its configuration, spool, logs and listening socket in a temporary folder,
// so that a test never reaches the computer's own printing system. Its one queue writes every
// job, as PDF, to a file in that folder. The server sets CUPS_SERVER for the test process, so
// the printers Qt offers are this server's; the CUPS library reads that variable once, so a
// process makes one server, before it prints anything, and keeps it for all its tests.
// Destroying the object stops the daemon and removes the folder.
//
//     PrintServer server;                        // a queue that is the default printer
//     if (!server.isReady()) QSKIP(qPrintable(server.errorString()));
//     ... print ...
//     QVERIFY(server.waitForCompletedJobs(1, 10000));
//     server.outputFile();                       // the last job's PDF

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <utility>

namespace testsupport {

class PrintServer {
public:
    enum class Queue { Default, NotDefault, None };

    // Starts cupsd and waits (event loop, bounded) until it answers, then adds the queue.
    explicit PrintServer(Queue queue = Queue::Default, int timeoutMs = 10000);
    ~PrintServer();
    PrintServer(const PrintServer&) = delete;
    PrintServer& operator=(const PrintServer&) = delete;

    bool isReady() const { return ready_; }
    QString errorString() const { return error_; }

    QString folder() const { return dir_.path(); }
    QString socket() const;
    QString queueName() const;
    // Where the queue writes the last job it printed.
    QString outputFile() const;

    // Changes of the queue while the server runs. Without a default, the queue stays installed.
    bool addQueue(bool asDefault);
    bool removeQueue();
    // The queue's default paper: "A4" (as it starts) or "Letter".
    bool setPaper(const QString& size);
    // A stopped queue holds its jobs and shows as a printer in error.
    bool stopQueue();
    bool startQueue();

    // Jobs the server has finished since it started.
    int completedJobs() const;
    // Jobs waiting or printing.
    int pendingJobs() const;
    bool waitForCompletedJobs(int count, int timeoutMs);

    // The end of the daemon's log, for failure messages.
    QString logTail(int lines = 20) const;

private:
    int countJobs(const QString& which) const;
    bool writeConfiguration();
    bool startDaemon(int timeoutMs);
    // Runs a CUPS command-line tool against this server; its output goes to `output`.
    bool runTool(const QString& program, const QStringList& args, QString* output = nullptr) const;
    void setEnvironment();
    void restoreEnvironment();

    QTemporaryDir dir_;
    QProcess cupsd_;
    bool ready_ = false;
    QString error_;
    // The variables the server changed, with their earlier values (none when unset).
    QList<std::pair<QByteArray, std::optional<QByteArray>>> savedEnvironment_;
};

}  // namespace testsupport
