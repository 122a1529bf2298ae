// How fast the program starts and how much memory it holds once its main window is up: the
// program started again and again in the lab (a line daemon, the lab's ports), on the X display
// this runs on, watched through the X server itself. For each launch, the time from starting the
// process to the mapping of its first window (the title window) and of its main window (after
// the title's five seconds), and the resident memory with the main window shown; then the
// medians.
//
//     bench_launch [launches] [program]      (20 launches of build/src/serlinq by default)
//
// Run it under xvfb-run, with or without a window manager.
#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "support/labline.h"
#include "support/wait.h"

using namespace testsupport;

namespace {

// The main window's caption ends with the program's title in capitals.
const QByteArray kMainTitle = "SERLINQ";
constexpr int kDefaultLaunches = 20;
constexpr int kLaunchTimeoutMs = 20000;
// The main window is left to draw itself before its memory is read.
constexpr int kSettleMs = 300;

class XWatch {
public:
    XWatch() : c_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(c_)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        ok_ = true;
    }
    ~XWatch() { xcb_disconnect(c_); }
    bool ok() const { return ok_; }
    int fd() const { return xcb_get_file_descriptor(c_); }
    // The names of the top-level windows mapped since the last call.
    QList<QByteArray> mapped() {
        QList<QByteArray> names;
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY)
                names << nameOf(reinterpret_cast<xcb_map_notify_event_t*>(e)->window);
            free(e);
        }
        return names;
    }

private:
    QByteArray nameOf(xcb_window_t w) {
        auto cookie =
            xcb_get_property(c_, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(c_, cookie, nullptr);
        if (!reply) return {};
        const QByteArray name(static_cast<const char*>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
        free(reply);
        return name;
    }
    xcb_connection_t* c_;
    bool ok_ = false;
};

qint64 residentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Launch {
    qint64 firstMs = -1;
    qint64 mainMs = -1;
    qint64 rssKiB = -1;
};

Launch launchOnce(XWatch& x, const QString& program, const QString& folder) {
    Launch l;
    x.mapped();  // what an earlier launch left
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    QSocketNotifier notifier(x.fd(), QSocketNotifier::Read);
    QElapsedTimer clock;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        for (const QByteArray& name : x.mapped()) {
            if (l.firstMs < 0) l.firstMs = clock.elapsed();
            if (l.mainMs < 0 && name.contains(kMainTitle)) l.mainMs = clock.elapsed();
        }
    });
    clock.start();
    p.start(program, {});
    waitFor([&] { return l.mainMs >= 0 || p.state() == QProcess::NotRunning; }, kLaunchTimeoutMs);
    if (l.mainMs >= 0) {
        settle(kSettleMs);
        l.rssKiB = residentKiB(p.processId());
    } else {
        std::printf("  (no main window after %lld ms: %s, exit status %d)\n",
                    static_cast<long long>(clock.elapsed()), qPrintable(p.errorString()),
                    p.exitCode());
    }
    p.kill();
    p.waitForFinished(3000);
    return l;
}

qint64 median(QList<qint64> v) {
    v.removeAll(-1);
    if (v.isEmpty()) return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int launches = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultLaunches;
    const QString program =
        argc > 2 ? QString::fromLocal8Bit(argv[2])
                 : QDir(QCoreApplication::applicationDirPath()).filePath("../src/serlinq");
    LabLine lab;
    if (!lab.isReady() || !lab.writePortMap()) {
        std::printf("no lab line: %s\n", qPrintable(lab.errorString()));
        return 1;
    }
    XWatch x;
    if (!x.ok()) {
        std::printf("no X display\n");
        return 1;
    }
    std::printf("Launches of %s in the lab (%s)\n", qPrintable(program), qPrintable(lab.folder()));
    QList<qint64> first, main, rss;
    for (int i = 0; i < launches; ++i) {
        const Launch l = launchOnce(x, program, lab.folder());
        std::printf(
            "  launch %2d: first window %5lld ms, main window %5lld ms, %6.1f MiB resident\n",
            i + 1, static_cast<long long>(l.firstMs), static_cast<long long>(l.mainMs),
            double(l.rssKiB) / 1024.0);
        std::fflush(stdout);
        first << l.firstMs;
        main << l.mainMs;
        rss << l.rssKiB;
    }
    std::printf(
        "median over %d launches: first window %lld ms, main window %lld ms, %.1f MiB "
        "resident with the main window shown\n",
        launches, static_cast<long long>(median(first)), static_cast<long long>(median(main)),
        double(median(rss)) / 1024.0);
    return 0;
}
