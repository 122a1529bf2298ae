#pragma once
// The storage oscilloscope on the virtual lab's line: the probes of a guide on the wires of the
// configured port, drawn in RS-232 voltages, with a time base, a trigger on the first channel's
// start bits (automatic, normal or single), a run/stop button, a readout that gives a bit's
// duration and the frame read on the first channel under the port's settings, and the record
// written as a VCD file in the working folder. What it draws comes in through addChanges and
// setLineTime, from whoever listens to the line; it draws at the screen's rate, not per change.

#include <QColor>
#include <QList>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "core/scope.h"
#include "serial/labline/line.h"
#include "serial/labmonitor.h"

class Forms;
class QComboBox;
class QLabel;
class QPushButton;
class ScopeScreen;

class FOscillo : public QWidget {
    Q_OBJECT
public:
    struct Probe {
        labline::Signal wire;
        QColor colour;
    };
    explicit FOscillo(Forms& forms, QWidget* parent = nullptr);

    // Opens with these probes, the first one triggering, and the port's frame format; the record
    // starts empty, the trigger running in the mode last chosen. With a lab target
    // ("lab:FOLDER/END") the probes go on that end's wires; false, with the reason, when the lab
    // cannot be watched there (the window then stays closed).
    bool present(const QList<Probe>& probes, const scope::FrameFormat& format,
                 const QString& labTarget = {}, QString* why = nullptr);

    // The changes of a channel's wire, in time order, and the line's time now.
    void addChanges(int channel, const QList<scope::Edge>& edges);
    void setLineTime(scope::Nanos now);
    // Changes the line could not hand over in time.
    void addDropped(qint64 count);

    void BoutonMarche_Click();
    void BoutonEnregistrer_Click();
    void Annuler_Click();
    // One refresh of the screen, as its timer does.
    void refresh();

    ScopeScreen* screen() const { return screen_; }
    const scope::Trigger& trigger() const { return trigger_; }
    // The file the last recording went to, empty when none or when it failed.
    QString lastRecording() const { return lastRecording_; }

signals:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void timeBaseChosen(int index);
    void modeChosen(int index);
    void showRunState();
    void draw();
    void takeChanges(const QList<serial::LabMonitor::Change>& changes, scope::Nanos completeTo);
    QStringList readoutLines() const;
    QString frameLine() const;

    Forms& forms_;
    ScopeScreen* screen_ = nullptr;
    QComboBox* base_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* sourceBox_ = nullptr;  // the channel whose start bits trigger, read in the readout
    int source_ = 0;
    QPushButton* runStop_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    QTimer refresh_;
    serial::LabMonitor monitor_;
    QList<Probe> probes_;
    std::vector<scope::Channel> channels_;
    scope::FrameFormat format_;
    scope::Trigger trigger_;
    std::optional<scope::Sweep> shown_;
    scope::Nanos now_ = 0;
    qint64 dropped_ = 0;
    QString status_;
    QString lastRecording_;
};
