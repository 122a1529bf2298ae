#pragma once
// FBrCable: the null-modem cable between two computers, DB9 female to DB25 female, its wires in
// three groups (those the duplex needs, those of the RTS-CTS protocol, the optional ones), with
// the oscilloscope hooked to the DB25 end.

#include "ui/hardware/wiringwindow.h"

class FBrCable : public WiringWindow {
    Q_OBJECT
public:
    explicit FBrCable(Forms& forms, QWidget* parent = nullptr);

    // Also takes the programmable cable's picture away from the guide.
    void Annuler_Click() override;

private:
    void addCableDrawing();
    void addHookup();
};
