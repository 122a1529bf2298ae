#pragma once
// The program's windows, created once on first use and then shown and hidden, and the services
// they share (the beep, the error message). Every window gets this registry and the application
// state by reference.

#include <QString>
#include <functional>
#include <memory>

struct AppState;
class FMenu;
class FMsg;
class FValeur;
class FEmiRecep;
class FPropri;
class FDebut;
class Feuille;
class FPrint;
class QWidget;

class Forms {
public:
    explicit Forms(AppState& state);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    AppState& state() { return state_; }

    FMenu& fMenu();
    FMsg& fMsg();
    FValeur& fValeur();
    FEmiRecep& fEmiRecep();
    FPropri& fPropri();
    FDebut& fDebut();
    // Creates the start-up window with its title delay (5000 ms in the program).
    FDebut& createDebut(int startupDelayMs);
    Feuille& feuille();
    FPrint& fPrint();

    // Whether a window has been created.
    bool hasEmiRecep() const { return static_cast<bool>(fEmiRecep_); }
    bool hasPropri() const { return static_cast<bool>(fPropri_); }

    // The system beep. Counted, so that tests can tell that it sounded.
    void Beep();
    int beepCount() const { return beepCount_; }

    // The message dialog as every caller uses it: caption "Message d'erreur !", the text, the
    // beep, then shown modally until the user presses OK.
    void ShowError(const QString& text);

    // Loads every window, hidden (the start-up sequence's first step).
    void loadAll();
    // Unloads every window: hides them, closes any open port, and ends the program (the
    // windows themselves are destroyed with this registry).
    void unloadAll();
    bool programEnded() const { return programEnded_; }
    // What ends the program; quits the application's event loop unless replaced (tests).
    void setProgramEnd(std::function<void()> end) { programEnd_ = std::move(end); }

private:
    AppState& state_;
    int beepCount_ = 0;
    bool programEnded_ = false;
    std::function<void()> programEnd_;
    // Declared in dependency order: later members are destroyed first.
    std::unique_ptr<FMsg> fMsg_;
    std::unique_ptr<FValeur> fValeur_;
    std::unique_ptr<FPrint> fPrint_;
    std::unique_ptr<Feuille> feuille_;
    std::unique_ptr<FEmiRecep> fEmiRecep_;
    std::unique_ptr<FPropri> fPropri_;
    std::unique_ptr<FMenu> fMenu_;
    std::unique_ptr<FDebut> fDebut_;
};
