#pragma once
// FInfo: the information window of the connection and signal pages and of the page on the
// RS-232C link; FInfo1: the window of the handshaking and Modbus pages. Both are page windows
// whose controls come from their own table.

#include "ui/reference/pagewindow.h"

class FInfo : public PageWindow {
    Q_OBJECT
public:
    explicit FInfo(Forms& forms, QWidget* parent = nullptr) : PageWindow(forms, "FInfo", parent) {}

    // The page closed, and the example sheet in its place.
    void BPExemple_Click();
    // The page of the 8-bit character set, drawn from the code page (charsetwindow.cpp).
    void Jeu_Click();

protected:
    void onButton(const QString& name) override;
};

class FInfo1 : public PageWindow {
    Q_OBJECT
public:
    explicit FInfo1(Forms& forms, QWidget* parent = nullptr)
        : PageWindow(forms, "FInfo1", parent) {}
};
