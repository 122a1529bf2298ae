// The terminal printout: through a private print server's default printer, or as a dated PDF in
// the working folder when there is none; the repeated emission pauses while it prints.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "core/appstate.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/pdfpages.h"
#include "support/printserver.h"
#include "support/wait.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/fmenu.h"
#include "ui/terminal/femirecep.h"

using namespace testsupport;

namespace {

// A configuration unlike the defaults in every value the line shows.
struct Terminal : AppFixture {
    Terminal() {
        linkconfig::setSpeed(state.LinkConfig, "19200");
        linkconfig::setDataBits(state.LinkConfig, 8);
        linkconfig::setParityByLetter(state.LinkConfig, "O");
        linkconfig::setStopBits(state.LinkConfig, "2");
        linkconfig::setProtocol(state.LinkConfig, serial::Handshaking::XonXoff,
                                linkconfig::ProtocolSpelling::Menu);
        menu().show();
    }
    FEmiRecep& terminal() { return get<FEmiRecep>(); }
    // "é" sent as a hexadecimal code, so that the page shows its diagram.
    void sendACode() {
        onModals({typeAndEnter("E9")});
        menu().Hexadecimal_Click();
    }
};

// Runs a check when a window is shown.
class TempoProbe : public QObject {
public:
    TempoProbe(QWidget* w, std::function<void()> check) : check_(std::move(check)) {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show) check_();
        return QObject::eventFilter(o, e);
    }

private:
    std::function<void()> check_;
};

QStringList pdfsIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

}  // namespace

class TstPrintout : public QObject {
    Q_OBJECT
    std::unique_ptr<PrintServer> server_;

    void verifyPage(const QString& pdf) {
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("Serlinq Configuration : Port Com2, 19200 bauds, 8 "
                                              "bits, parité impaire, 2 stop(s), protocole "
                                              "Xon-Xoff .")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Transmission du caractère :")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("aspect : é")), qPrintable(text));
        // The diagram's traces across the upper half of the sheet.
        const QImage page = pdfImage(pdf);
        const QRect ink = inkBox(page);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.width() > page.width() / 2, qPrintable(QString::number(ink.width())));
        QVERIFY2(ink.bottom() < page.height() / 2, qPrintable(QString::number(ink.bottom())));
    }

private slots:
    void initTestCase() {
        server_ = std::make_unique<PrintServer>();
        if (!server_->isReady()) QSKIP(qPrintable(server_->errorString()));
        if (!havePoppler()) QSKIP("pdftotext and pdftoppm are not installed");
    }

    void onTheDefaultPrinter() {
        Terminal t;
        t.sendACode();
        QVERIFY(waitFor([&] { return t.terminal().ImageImprimer->isVisible(); }));
        const int done = server_->completedJobs();
        t.terminal().ImageImprimer->click();
        QVERIFY2(server_->waitForCompletedJobs(done + 1, 20000), qPrintable(server_->logTail()));
        verifyPage(server_->outputFile());
        QVERIFY(pdfsIn(t.folder()).isEmpty());
        QVERIFY(t.terminal().isVisible());
        QVERIFY(!t.get<FPrint>().isVisible());
    }

    // No printer: the page as a PDF named with the date in the working folder, its name shown.
    void withoutAPrinter() {
        QVERIFY(server_->removeQueue());
        Terminal t;
        t.sendACode();
        QVERIFY(waitFor([&] { return t.terminal().ImageImprimer->isVisible(); }));
        t.terminal().ImageImprimer->click();
        const QStringList files = pdfsIn(t.folder());
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().contains(QDate::currentDate().toString("yyyy")));
        // The whole path can be read, in the window and by a screen reader.
        const QString path = QFileInfo(QDir(t.folder()).filePath(files.first())).absoluteFilePath();
        const QLabel* notice = t.terminal().LabelImpression;
        QVERIFY(notice->text().contains(path));
        QVERIFY(notice->accessibleName().contains(path));
        QVERIFY(notice->isVisible());
        QVERIFY(notice->heightForWidth(notice->width()) <= notice->height());
        QVERIFY(t.terminal().TextLine->text().isEmpty());
        verifyPage(path);
        // The notice goes after a while.
        QVERIFY(waitFor([&] { return !notice->isVisible(); }, 20000));
        QVERIFY(server_->addQueue(true));
    }

    // The repeated emission stops while the page is composed and printed, then goes on.
    void repeatedEmissionPausesAndResumes() {
        Terminal t;
        QVERIFY2(t.isReady(), qPrintable(t.errorString()));
        onModals({typeAndEnter("55")});
        t.menu().Identique_Click();
        FEmiRecep& terminal = t.terminal();
        QVERIFY(waitFor([&] { return terminal.Tempo->isActive(); }));
        // Whether the emission runs when the print layout window comes up.
        std::optional<bool> runningWhilePrinting;
        TempoProbe probe(&t.get<FPrint>(),
                         [&] { runningWhilePrinting = terminal.Tempo->isActive(); });
        const int done = server_->completedJobs();
        terminal.ImageImprimer->click();
        QCOMPARE(runningWhilePrinting, std::optional<bool>(false));
        QVERIFY(terminal.Tempo->isActive());
        QVERIFY(server_->waitForCompletedJobs(done + 1, 20000));
        terminal.Annuler->click();
        QVERIFY(!terminal.Tempo->isActive());
    }
};

QTEST_MAIN(TstPrintout)
#include "tst_printout.moc"
