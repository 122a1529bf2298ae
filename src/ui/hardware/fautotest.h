#pragma once
// FAutoTest: the wiring of the loopback plug for a computer's self-test, in its two forms, on a
// DB9 and on a DB25 female plug, with the oscilloscope hooked to the plug; Test starts the
// simultaneous exchange the self-test asks for.

#include "ui/hardware/wiringwindow.h"

class QPushButton;

class FAutoTest : public WiringWindow {
    Q_OBJECT
public:
    explicit FAutoTest(Forms& forms, QWidget* parent = nullptr);

    // Leaves the window, then the simultaneous exchange as the main menu starts it.
    void Test_Click();

private:
    void addWirings();
    void addHookup();

    QPushButton* Test = nullptr;
};
