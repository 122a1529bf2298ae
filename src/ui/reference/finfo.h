#pragma once
// FInfo: the information window of the connection and signal pages and of the page on the
// RS-232C link; FInfo1: the window of the handshaking and Modbus pages. Both are page windows
// whose controls come from their own table.
//
// On FInfo, a page that shows the simplex and duplex diagram sets its arrows blinking from the
// first step of their cycle (see core/plexcycle.h); closing the page, in whatever way, stops
// them and puts the step back to 0. On FInfo1, the handshaking page lets the user play the
// receiver of two examples, both starting with the transmission blocked: the RTS button sets the
// receiver's RTS line to 0 (ready: the transmitter may send) or back to 1; the Xon/Xoff button
// sends the transmitter an Xon or an Xoff, which takes TimerX's two seconds to arrive, the
// button disabled meanwhile.

#include "core/plexcycle.h"
#include "ui/reference/pagewindow.h"

class QTimer;

class FInfo : public PageWindow {
    Q_OBJECT
public:
    explicit FInfo(Forms& forms, QWidget* parent = nullptr);

    // The page closed, and the example sheet in its place.
    void BPExemple_Click();
    // The page of the 8-bit character set, drawn from the code page (charsetwindow.cpp).
    void Jeu_Click();

    // The animation's step n and the arrows it shows.
    const plex::State& plexState() const { return plex_; }

protected:
    void beforePage(const pages::Page& page) override;
    void onButton(const QString& name) override;
    void onClose() override;
    void hideEvent(QHideEvent* event) override;

private:
    void TimerPlex1_Timer();
    void TimerPlex2_Timer();
    void stopAnimation();
    void showArrows();

    QTimer* TimerPlex1 = nullptr;
    QTimer* TimerPlex2 = nullptr;
    plex::State plex_;
};

class FInfo1 : public PageWindow {
    Q_OBJECT
public:
    explicit FInfo1(Forms& forms, QWidget* parent = nullptr);

    void BPRTS_Click();
    void BPXonXoff_Click();

protected:
    void beforePage(const pages::Page& page) override;
    void onButton(const QString& name) override;
    void onClose() override;

private:
    void TimerX_Timer();
    void styleLineRTS();
    // Where the focus goes once an example's button is pressed.
    void focusAnnuler();

    QTimer* TimerX = nullptr;
};
