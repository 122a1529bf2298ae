#include "ui/hardware/scopescreen.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kScreen{248, 250, 246};
const QColor kGrid{200, 206, 200};
const QColor kAxis{150, 158, 150};
const QColor kText{26, 26, 26};
constexpr int kMargin = 8;
constexpr int kTraceWidth = 2;
constexpr int kLineHeight = 16;
constexpr int kReadoutLines = 3;
// Small marks on each division line, five to a division, as on a real graticule.
constexpr int kTicksPerDivision = 5;

}  // namespace

ScopeScreen::ScopeScreen(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Ecran"));
    setAccessibleName(QStringLiteral("Ecran de l'oscilloscope"));
    setMinimumSize(400, 260);
}

void ScopeScreen::setTraces(const QList<Trace>& traces, scope::Nanos widthNs) {
    traces_ = traces;
    widthNs_ = std::max<scope::Nanos>(widthNs, 1);
    update();
}

void ScopeScreen::setReadout(const QStringList& lines) {
    if (lines == readout_) return;
    readout_ = lines;
    setAccessibleDescription(lines.join(QLatin1Char('\n')));
    update();
}

QRect ScopeScreen::gridRect() const {
    return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin - kReadoutLines * kLineHeight);
}

QRect ScopeScreen::bandRect(int channel) const {
    const QRect g = gridRect();
    const int n = std::max<int>(traces_.size(), 1);
    const int top = g.top() + g.height() * channel / n;
    const int bottom = g.top() + g.height() * (channel + 1) / n;
    return QRect(g.left(), top, g.width(), bottom - top);
}

int ScopeScreen::xOf(scope::Nanos t) const {
    const QRect g = gridRect();
    return g.left() + int(t * g.width() / widthNs_);
}

int ScopeScreen::yOf(int channel, int volts) const {
    const QRect b = bandRect(channel);
    const int centre = b.top() + b.height() / 2;
    return centre - volts * (b.height() / 2) / kBandVolts;
}

void ScopeScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kScreen);
    paintGrid(p);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int c = 0; c < traces_.size(); ++c) paintTrace(p, c);
    p.setPen(kText);
    const QRect g = gridRect();
    for (int i = 0; i < readout_.size() && i < kReadoutLines; ++i)
        p.drawText(QPoint(g.left(), g.bottom() + (i + 1) * kLineHeight), readout_[i]);
}

void ScopeScreen::paintGrid(QPainter& p) const {
    const QRect g = gridRect();
    p.setPen(QPen(kGrid, 1));
    for (int d = 0; d <= scope::kDivisions; ++d) {
        const int x = g.left() + g.width() * d / scope::kDivisions;
        p.drawLine(x, g.top(), x, g.bottom());
    }
    for (int c = 0; c < traces_.size(); ++c) {
        const QRect b = bandRect(c);
        p.setPen(QPen(kAxis, 1));
        p.drawLine(g.left(), b.top(), g.right(), b.top());
        p.setPen(QPen(kGrid, 1, Qt::DashLine));
        p.drawLine(g.left(), yOf(c, 0), g.right(), yOf(c, 0));
        for (int t = 0; t <= scope::kDivisions * kTicksPerDivision; ++t) {
            const int x = g.left() + g.width() * t / (scope::kDivisions * kTicksPerDivision);
            p.drawLine(x, yOf(c, 0) - 2, x, yOf(c, 0) + 2);
        }
        p.setPen(traces_[c].colour);
        p.drawText(b.left() + 4, b.top() + kLineHeight - 2, traces_[c].name);
        // The two levels of the wire, at the right of the band.
        p.setPen(kAxis);
        for (int v : {scope::kSpaceVolts, 0, scope::kMarkVolts}) {
            const QString text = v > 0   ? QStringLiteral("+%1 V").arg(v)
                                 : v < 0 ? QStringLiteral("\u2212%1 V").arg(-v)
                                         : QStringLiteral("0 V");
            const QRect box(g.right() - 60, yOf(c, v) - kLineHeight, 56, kLineHeight);
            p.drawText(box, Qt::AlignRight | Qt::AlignBottom, text);
        }
    }
    p.setPen(QPen(kAxis, 1));
    p.drawRect(g);
}

void ScopeScreen::paintTrace(QPainter& p, int channel) const {
    const Trace& t = traces_[channel];
    if (t.points.isEmpty()) return;
    QPainterPath path(QPointF(xOf(t.points.first().tNs), yOf(channel, t.points.first().volts)));
    for (const scope::Point& pt : t.points) path.lineTo(xOf(pt.tNs), yOf(channel, pt.volts));
    p.setPen(QPen(t.colour, kTraceWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(path);
}
