#include "core/scopevcd.h"

#include <algorithm>
#include <limits>

namespace scope {
namespace {

constexpr Nanos kLeadIn = 1'000'000;

// One printable identifier per channel, from "!" on.
QByteArray identifier(int index) {
    return QByteArray(1, char('!' + index));
}

struct Change {
    Nanos at;
    int channel;
    bool mark;
};

}  // namespace

bool writeVcd(QIODevice* out, const QList<NamedChannel>& channels) {
    QByteArray text = "$timescale 1ns $end\n$scope module scope $end\n";
    for (int i = 0; i < channels.size(); ++i)
        text += "$var wire 1 " + identifier(i) + ' ' + channels[i].name.toLatin1() + " $end\n";
    text += "$upscope $end\n$enddefinitions $end\n";
    QList<Change> changes;
    Nanos origin = std::numeric_limits<Nanos>::max();
    for (int i = 0; i < channels.size(); ++i) {
        const QList<Edge> edges =
            channels[i].channel->between(0, std::numeric_limits<Nanos>::max());
        for (const Edge& e : edges) changes << Change{e.atNs, i, e.mark};
        if (!edges.isEmpty()) origin = std::min(origin, edges.first().atNs);
    }
    // The record starts a little before its first change, so that a decoder sees that change as an
    // edge rather than as the wire's first level.
    origin = origin == std::numeric_limits<Nanos>::max() ? 0 : origin - kLeadIn;
    text += "#0\n$dumpvars\n";
    for (int i = 0; i < channels.size(); ++i) {
        const bool before = channels[i].channel->levelAt(origin);
        text += (before ? "1" : "0") + identifier(i) + '\n';
    }
    text += "$end\n";
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change& a, const Change& b) { return a.at < b.at; });
    Nanos written = origin;
    for (const Change& c : changes) {
        if (c.at != written) text += '#' + QByteArray::number(c.at - origin) + '\n';
        written = c.at;
        text += (c.mark ? "1" : "0") + identifier(c.channel) + '\n';
    }
    return out->write(text) == text.size();
}

}  // namespace scope
