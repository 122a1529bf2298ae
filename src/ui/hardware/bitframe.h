#pragma once
// BitFrame: a small sunken frame holding one bit's text box, as the console shows its binary
// inputs and outputs and the bits of its analog output. A clickable one toggles on a click
// anywhere inside it, the box included, and on Space or Enter when it has the keyboard.

#include <QFrame>

class QLineEdit;

class BitFrame : public QFrame {
    Q_OBJECT
public:
    BitFrame(QWidget* parent, const QString& objectName, bool clickable);

    QLineEdit* box() const { return box_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* box_;
    bool clickable_;
};
