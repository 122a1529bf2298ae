#pragma once
// Waiting for the serial line in tests and benchmarks: a local event loop, never a busy loop.

#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace testsupport {

// The bound of every wait for something that should happen at once (it normally takes
// milliseconds; the bound only keeps a broken test from hanging).
inline constexpr int kWaitMs = 10000;

// Runs a local event loop until `done` holds or the bound passes; returns `done()`.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    tick.start(5);
    loop.exec();
    return done();
}

// Lets events run for a while, to see that nothing more happens (never to wait for something).
inline void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace testsupport
