#include "support/printserver.h"

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <csignal>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "support/wait.h"

namespace testsupport {

namespace {

const QString kQueue = QStringLiteral("Serlinq-Test");
const QString kSocketName = QStringLiteral("cups.sock");
const QString kOutputName = QStringLiteral("printed.pdf");
const QString kDriverName = QStringLiteral("pdf-file.ppd");
constexpr int kToolTimeoutMs = 10000;
// The filter that passes the program's PDF on to the queue, where Debian installs CUPS filters.
const QString kPdfFilter = QStringLiteral("/usr/lib/cups/filter/pdftopdf");
// A UNIX socket path must fit in sockaddr_un.
constexpr int kMaxSocketPath = 100;
// CUPS_SERVER points the CUPS library at the socket; LPDEST and PRINTER would name a default
// printer of their own.
const QByteArray kServerVariable = "CUPS_SERVER";
const QList<QByteArray> kDestinationVariables{"LPDEST", "PRINTER"};

// A printer that takes PDF and hands it on unchanged, so that the queue's file is the PDF the
// program sent, made page-exact by the PDF filter.
const char* const kPdfDriver = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "SRLQPDF.PPD"
*Manufacturer: "Serlinq"
*Product: "(PDF file)"
*ModelName: "Serlinq PDF file"
*ShortNickName: "Serlinq PDF file"
*NickName: "Serlinq PDF file"
*PSVersion: "(3010.000) 0"
*ColorDevice: True
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Page Region: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*ImageableArea Letter/Letter: "18 18 594 774"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
)ppd";

bool writeFile(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.toUtf8()) == text.toUtf8().size() && file.flush();
}

}  // namespace

PrintServer::PrintServer(Queue queue, int timeoutMs) {
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder: ") + dir_.errorString();
        return;
    }
    if (socket().size() > kMaxSocketPath) {
        error_ = QStringLiteral("temporary folder path too long for a socket: ") + folder();
        return;
    }
    if (!QFileInfo::exists(kPdfFilter)) {
        error_ = QStringLiteral("the CUPS PDF filter is not installed: ") + kPdfFilter;
        return;
    }
    if (!writeConfiguration() || !startDaemon(timeoutMs)) return;
    setEnvironment();
    ready_ = queue == Queue::None || addQueue(queue == Queue::Default);
}

PrintServer::~PrintServer() {
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(5000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(3000);
        }
    }
    restoreEnvironment();
}

QString PrintServer::socket() const {
    return dir_.filePath(kSocketName);
}

QString PrintServer::queueName() const {
    return kQueue;
}

QString PrintServer::outputFile() const {
    return dir_.filePath(kOutputName);
}

bool PrintServer::writeConfiguration() {
    const QDir root(folder());
    for (const char* sub : {"conf", "conf/ppd", "spool", "spool/tmp", "cache", "state", "log"}) {
        if (!root.mkpath(QString::fromLatin1(sub))) {
            error_ = QStringLiteral("cannot make %1 in %2").arg(QLatin1String(sub), folder());
            return false;
        }
    }
    // Filters run as the lp user and read the spool through this folder.
    QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                        QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                        QFileDevice::ExeOther);
    const QString p = folder();
    const QString daemon = QStringLiteral(
                               "Listen %1\nLogLevel info\nBrowsing No\nWebInterface No\n"
                               "DefaultAuthType None\nPreserveJobHistory Yes\n"
                               "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                               "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                               "  </Limit>\n</Policy>\n")
                               .arg(socket());
    const QString files =
        QStringLiteral(
            "FileDevice Yes\nServerRoot %1/conf\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
            "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
            "AccessLog %1/log/access_log\nPageLog %1/log/page_log\nPrintcap %1/printcap\n"
            "SystemGroup root\n")
            .arg(p);
    if (!writeFile(root.filePath("conf/cupsd.conf"), daemon) ||
        !writeFile(root.filePath("conf/cups-files.conf"), files) ||
        !writeFile(root.filePath(kDriverName), QString::fromLatin1(kPdfDriver))) {
        error_ = QStringLiteral("cannot write the server's configuration in ") + p;
        return false;
    }
    return true;
}

bool PrintServer::startDaemon(int timeoutMs) {
    const QDir root(folder());
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
#ifdef Q_OS_LINUX
    // A test that crashes or is killed by its time-out takes its server with it.
    cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    cupsd_.start(QStringLiteral("cupsd"),
                 {QStringLiteral("-f"), QStringLiteral("-c"), root.filePath("conf/cupsd.conf"),
                  QStringLiteral("-s"), root.filePath("conf/cups-files.conf")});
    if (!cupsd_.waitForStarted(timeoutMs)) {
        error_ = QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
        return false;
    }
    const bool listening = waitFor(
        [&] { return QFileInfo::exists(socket()) || cupsd_.state() == QProcess::NotRunning; },
        timeoutMs);
    if (!listening || cupsd_.state() == QProcess::NotRunning) {
        error_ = QStringLiteral("cupsd is not listening: %1 %2")
                     .arg(QString::fromLocal8Bit(cupsd_.readAll()), logTail());
        return false;
    }
    return true;
}

bool PrintServer::runTool(const QString& program, const QStringList& args, QString* output) const {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, QStringList{QStringLiteral("-h"), socket()} + args);
    const bool ok = tool.waitForFinished(kToolTimeoutMs) &&
                    tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (output) *output = QString::fromLocal8Bit(tool.readAll());
    return ok;
}

bool PrintServer::addQueue(bool asDefault) {
    QString out;
    const QStringList args{QStringLiteral("-p"),
                           kQueue,
                           QStringLiteral("-E"),
                           QStringLiteral("-v"),
                           QStringLiteral("file://") + outputFile(),
                           QStringLiteral("-P"),
                           dir_.filePath(kDriverName)};
    if (!runTool(QStringLiteral("lpadmin"), args, &out) ||
        (asDefault && !runTool(QStringLiteral("lpadmin"), {QStringLiteral("-d"), kQueue}, &out))) {
        error_ = QStringLiteral("lpadmin failed: ") + out;
        return false;
    }
    return true;
}

bool PrintServer::setPaper(const QString& size) {
    return runTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), kQueue, QStringLiteral("-o"),
                                               QStringLiteral("PageSize=") + size});
}

bool PrintServer::removeQueue() {
    return runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), kQueue});
}

bool PrintServer::stopQueue() {
    return runTool(QStringLiteral("cupsdisable"), {kQueue});
}

bool PrintServer::startQueue() {
    return runTool(QStringLiteral("cupsenable"), {kQueue});
}

int PrintServer::countJobs(const QString& which) const {
    QString out;
    if (!runTool(QStringLiteral("lpstat"), {QStringLiteral("-W"), which, QStringLiteral("-o")},
                 &out)) {
        return 0;
    }
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size();
}

int PrintServer::completedJobs() const {
    return countJobs(QStringLiteral("completed"));
}

int PrintServer::pendingJobs() const {
    return countJobs(QStringLiteral("not-completed"));
}

bool PrintServer::waitForCompletedJobs(int count, int timeoutMs) {
    return waitFor([&] { return completedJobs() >= count; }, timeoutMs);
}

QString PrintServer::logTail(int lines) const {
    QFile log(dir_.filePath(QStringLiteral("log/error_log")));
    if (!log.open(QIODevice::ReadOnly)) return QString();
    const QStringList all = QString::fromLocal8Bit(log.readAll()).split(QLatin1Char('\n'));
    return all.mid(qMax(0, all.size() - lines)).join(QLatin1Char('\n'));
}

void PrintServer::setEnvironment() {
    for (const QByteArray& name : QList<QByteArray>{kServerVariable} + kDestinationVariables) {
        savedEnvironment_.append({name, qEnvironmentVariableIsSet(name.constData())
                                            ? std::optional(qgetenv(name.constData()))
                                            : std::nullopt});
        qunsetenv(name.constData());
    }
    qputenv(kServerVariable.constData(), QFile::encodeName(socket()));
}

void PrintServer::restoreEnvironment() {
    for (const auto& [name, value] : savedEnvironment_) {
        if (value) {
            qputenv(name.constData(), *value);
        } else {
            qunsetenv(name.constData());
        }
    }
    savedEnvironment_.clear();
}

}  // namespace testsupport
