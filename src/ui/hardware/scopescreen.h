#pragma once
// The screen of the storage oscilloscope: ten divisions across, one band per channel, each trace
// drawn in RS-232 voltages (logic 1 below the band's zero line at -12 V, logic 0 above it at
// +12 V), with the channel's name and its readout lines printed under the grid. The readout is
// also the screen's accessible description.

#include <QColor>
#include <QList>
#include <QStringList>
#include <QWidget>

#include "core/scope.h"

class ScopeScreen : public QWidget {
    Q_OBJECT
public:
    struct Trace {
        QString name;  // "Voie 1 : TxD"
        QColor colour;
        QList<scope::Point> points;
    };
    // The volts at the top of a band; its bottom is the opposite.
    static constexpr int kBandVolts = 15;

    explicit ScopeScreen(QWidget* parent = nullptr);

    void setTraces(const QList<Trace>& traces, scope::Nanos widthNs);
    void setReadout(const QStringList& lines);
    QStringList readout() const { return readout_; }

    // Where the screen draws (pixels): the grid, and a channel's band within it.
    QRect gridRect() const;
    QRect bandRect(int channel) const;
    int xOf(scope::Nanos t) const;
    int yOf(int channel, int volts) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintGrid(QPainter& p) const;
    void paintTrace(QPainter& p, int channel) const;

    QList<Trace> traces_;
    scope::Nanos widthNs_ = 1;
    QStringList readout_;
};
