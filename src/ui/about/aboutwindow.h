#pragma once
// The publisher's pages of the "A propos..." menu: a picture at the left, a text box in a frame
// at the right, and OK. They are shown over the main window and give it back on every exit (OK,
// Esc, the window manager's close). FKorvalin describes the cable-test instrument, FDorvanix
// gives the publisher's contact details.

#include <QDialog>

class Forms;
class SvgPicture;
class QFrame;
class QPushButton;
class QTextEdit;

// Where each part of a page goes, in twips, and what it shows.
struct AboutLayout {
    const char* objectName;
    const char* caption;
    int clientWidth, clientHeight;
    const char* pictureName;
    const char* pictureResource;
    const char* pictureTip;
    int picture[4];  // left, top, width, height
    int frame[4];
    int ok[4];
};

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    AboutWindow(Forms& forms, const AboutLayout& layout, QWidget* parent = nullptr);

    SvgPicture* picture() const { return picture_; }
    QFrame* Frame1;
    QTextEdit* TextKorvalin;
    QPushButton* OK;

    // The text put in the page, then the page shown over the main window, OK ready for Enter.
    void present(const QString& text);
    void OK_Click();

protected:
    void reject() override;

private:
    Forms& forms_;
    SvgPicture* picture_;
};

class FKorvalin : public AboutWindow {
    Q_OBJECT
public:
    explicit FKorvalin(Forms& forms, QWidget* parent = nullptr);
    // The instrument's description, built and shown.
    void showPage();
};

class FDorvanix : public AboutWindow {
    Q_OBJECT
public:
    explicit FDorvanix(Forms& forms, QWidget* parent = nullptr);
    // The contact details, shown.
    void showPage();
};
