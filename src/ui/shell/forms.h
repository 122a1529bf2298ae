#pragma once
// The program's windows and the services they share. Each window is created once, on first use,
// hidden, and then shown and hidden; `get<FMenu>()` reaches it by its type, so a new window needs
// no accessor of its own. The shared services are here too, reached the same way from every
// window: the terminal's serial control MSComm1, the beep, the error message, the port test, the
// opening sequence that the port test and the terminal share, and "one window at a time". Every
// window gets this registry and the application state by reference.

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <typeindex>
#include <vector>

struct AppState;
class MenuCover;
class MSComm;
class VelmoConsole;

class Forms {
public:
    explicit Forms(AppState& state);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    AppState& state() { return state_; }

    // The window of type W, created hidden on first use: W(Forms&).
    template <class W>
    W& get() {
        if (QWidget* w = find(typeid(W))) return static_cast<W&>(*w);
        return create<W>();
    }
    // Creates the window of type W afresh, W(Forms&, args...), replacing any earlier one.
    template <class W, class... Args>
    W& create(Args&&... args) {
        auto window = std::make_unique<W>(*this, std::forward<Args>(args)...);
        W& created = *window;
        adopt(typeid(W), std::move(window));
        return created;
    }
    // Lets the window of type W go: it leaves the registry now and is destroyed once the events
    // in progress have returned (a window whose own handler may still be running).
    template <class W>
    void dispose() {
        release(typeid(W));
    }
    // Whether the window of type W has been created.
    template <class W>
    bool has() const {
        return find(typeid(W)) != nullptr;
    }

    // The terminal's serial control, MSComm1, which the port test, the properties dialog and the
    // protocol items use too.
    MSComm& serial();
    // Closes the serial control if open and gives it the configuration in force (port, settings,
    // handshaking), PortSettings rebuilt: what the port test and the terminal's opening share.
    MSComm& configureSerial();
    // The port test: opens the serial control once with the configuration in force and closes it
    // again; reports a failure and leaves its verdict in CommError.
    void EssaiPort();

    // The interface-unit console's state and serial control, which outlive its window.
    VelmoConsole& velmo();

    // The system beep. Counted, so that tests can tell that it sounded.
    void Beep();
    int beepCount() const { return beepCount_; }

    // The message dialog as every caller uses it: caption "Message d'erreur !", the text, the
    // beep, then shown modally until the user presses OK.
    void ShowError(const QString& text);

    // Shows `window` over the main window. The main window stays disabled while any window
    // shown this way is visible, and comes back (enabled, raised, with the keyboard) when the
    // last of them hides, whichever way it was left.
    void showOverMenu(QWidget& window);
    // The same for a window that shows itself a moment later (the terminal after an emission's
    // first prompt, after the exchange's options): the main window is disabled now, and comes
    // back when `window` hides or says it is done (releaseMenu).
    void holdMenu(QWidget& window);
    // `window` is done with the main window, shown or not (a mode cancelled before its window
    // showed): the main window comes back unless another window still holds it.
    void releaseMenu(QWidget& window);
    // Whether a window is shown over the main window, or announced.
    bool menuHeld() const;
    // The start-up sequence's last step: the main window shown, enabled, in front.
    void showMenu();

    // Loads every window, hidden: the whole program at once, for what looks at every window.
    void loadAll();
    // The start-up sequence's first step: loads, hidden, the windows the main window needs the
    // moment it shows (the menu, the terminal that owns the serial control, the exchange's
    // options that the start-up resets). Every other window is created hidden on its first use,
    // so that its page files are read and its controls built only when it is first wanted.
    void loadAtStartUp();
    // Unloads every window: hides them, closes any open port, and ends the program (the
    // windows themselves are destroyed with this registry).
    void unloadAll();
    bool programEnded() const { return programEnded_; }
    // What ends the program; quits the application's event loop unless replaced (tests).
    void setProgramEnd(std::function<void()> end) { programEnd_ = std::move(end); }

private:
    QWidget* find(std::type_index type) const;
    void adopt(std::type_index type, std::unique_ptr<QWidget> window);
    void release(std::type_index type);

    struct Slot {
        std::type_index type;
        std::unique_ptr<QWidget> window;
    };

    AppState& state_;
    int beepCount_ = 0;
    bool programEnded_ = false;
    std::function<void()> programEnd_;
    std::unique_ptr<MSComm> serial_;
    std::unique_ptr<VelmoConsole> velmo_;
    std::unique_ptr<MenuCover> cover_;
    // Set while the windows are destroyed: the main window is no longer there to give back.
    bool closing_ = false;
    // In creation order; destroyed in the reverse order, before the serial control.
    std::vector<Slot> windows_;
};
