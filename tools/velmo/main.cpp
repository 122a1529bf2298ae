// velmo-emulator: plays the Velmo-XQ interface unit on a serial device or on a pseudo-terminal
// of its own, until SIGINT or SIGTERM.
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <memory>

#include "mscommlink.h"
#include "options.h"
#include "ptylink.h"
#include "session.h"

namespace {

enum ExitStatus { kStopped = 0, kFailed = 1, kUsage = 2 };

// A signal handler may only write to a descriptor: the event loop reads the other end and
// quits, so that the link is closed and the pseudo-terminal's link removed on the way out.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

bool quitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

void print(std::FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", qPrintable(text));
    std::fflush(to);
}

// The link the options ask for, open; nothing (after saying why) when it cannot be opened.
std::unique_ptr<velmo::ByteLink> openLink(const velmo::Options& options) {
    std::unique_ptr<velmo::ByteLink> link;
    velmo::PtyLink* pty = nullptr;
    if (options.pty) {
        link.reset(pty = new velmo::PtyLink(options.linkPath));
    } else {
        link = std::make_unique<velmo::MSCommLink>(options.device);
    }
    const QString error = link->open();
    if (!error.isEmpty()) {
        print(stderr, QStringLiteral("velmo-emulator: ") + error);
        return nullptr;
    }
    if (pty) print(stdout, pty->slavePath());
    if (options.verbose) {
        const QString where = pty ? pty->slavePath() : options.device;
        print(stderr, QStringLiteral("velmo-emulator: ready on ") + where);
    }
    return link;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const velmo::Options options = velmo::parseOptions(app.arguments());
    if (options.help) {
        std::fputs(qPrintable(options.helpText), stdout);
        return kStopped;
    }
    if (!options.error.isEmpty()) {
        print(stderr, QStringLiteral("velmo-emulator: ") + options.error);
        std::fputs(qPrintable(options.helpText), stderr);
        return kUsage;
    }
    if (!quitOnSignals(app)) {
        print(stderr, QStringLiteral("velmo-emulator: cannot catch signals"));
        return kFailed;
    }

    const std::unique_ptr<velmo::ByteLink> link = openLink(options);
    if (!link) return kFailed;
    int status = kStopped;
    QObject::connect(link.get(), &velmo::ByteLink::lost, &app, [&](const QString& why) {
        print(stderr, QStringLiteral("velmo-emulator: ") + why);
        status = kFailed;
        app.quit();
    });
    velmo::Session session(link.get(), options.how, options.verbose);
    app.exec();
    return status;
}
