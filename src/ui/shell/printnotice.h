#pragma once
// A notice over a window that has just printed: where the page went when no printer took it,
// or why a drawing was not printed. It stays long enough to be read and to copy the path from,
// then goes; a screen reader reads it as the label's name.

#include <QLabel>

#include "ui/shell/pageprinter.h"

class QTimer;

class PrintNotice : public QLabel {
    Q_OBJECT
public:
    // Placed in twips on `parent`, hidden.
    PrintNotice(QWidget* parent, const QString& objectName, int left, int top, int width,
                int height);

    // Says what became of a page: nothing to say when it was printed.
    void tell(const pageprinter::Result& result);
    // Gone at once.
    void dismiss();

private:
    void say(const QString& text);

    QTimer* timer_;
};
