#include "ui/shell/forms.h"

#include <QApplication>
#include <QTimer>

#include "core/appstate.h"
#include "serial/mscomm.h"
#include "ui/about/aboutwindow.h"
#include "ui/hardware/fautotest.h"
#include "ui/hardware/fbrcable.h"
#include "ui/hardware/fessai2pc.h"
#include "ui/hardware/feuille.h"
#include "ui/hardware/fprint.h"
#include "ui/hardware/porttest.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/reference/finfo.h"
#include "ui/reference/fmessage.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fmsg.h"
#include "ui/shell/formkit.h"
#include "ui/shell/fpropri.h"
#include "ui/shell/menucover.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"

Forms::Forms(AppState& state)
    : state_(state),
      programEnd_([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); }),
      cover_(std::make_unique<MenuCover>(
          [this]() -> QWidget* { return closing_ ? nullptr : find(typeid(FMenu)); })) {}

Forms::~Forms() {
    closing_ = true;
    while (!windows_.empty()) windows_.pop_back();
}

QWidget* Forms::find(std::type_index type) const {
    for (const Slot& slot : windows_) {
        if (slot.type == type) return slot.window.get();
    }
    return nullptr;
}

void Forms::adopt(std::type_index type, std::unique_ptr<QWidget> window) {
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        if (it->type == type) {
            windows_.erase(it);
            break;
        }
    }
    windows_.push_back({type, std::move(window)});
}

void Forms::release(std::type_index type) {
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        if (it->type != type) continue;
        QWidget* window = it->window.release();
        windows_.erase(it);
        window->hide();
        window->deleteLater();
        return;
    }
}

VelmoConsole& Forms::velmo() {
    if (!velmo_) velmo_ = std::make_unique<VelmoConsole>(*this);
    return *velmo_;
}

MSComm& Forms::serial() {
    if (!serial_) {
        serial_ = std::make_unique<MSComm>();
        serial_->setObjectName("MSComm1");
        serial_->setPortMapDirectory(state_.workDir);
    }
    return *serial_;
}

MSComm& Forms::configureSerial() {
    MSComm& com = serial();
    // The settings are taken only while the port is closed.
    if (com.PortOpen()) com.setPortOpen(false);
    state_.PortSettings = linkconfig::portSettings(state_.LinkConfig);
    com.setCommPort(state_.LinkConfig.PortNumber);
    com.setSettings(state_.PortSettings);
    com.setHandshaking(state_.LinkConfig.Handshake);
    return com;
}

void Forms::EssaiPort() {
    porttest::EssaiPort(*this);
}

void Forms::Beep() {
    ++beepCount_;
    QApplication::beep();
}

void Forms::ShowError(const QString& text) {
    get<FMsg>().showMessage("Message d'erreur !", text);
}

void Forms::showOverMenu(QWidget& window) {
    holdMenu(window);
    window.show();
}

void Forms::holdMenu(QWidget& window) {
    get<FMenu>();  // there to be disabled
    cover_->hold(window);
}

void Forms::releaseMenu(QWidget& window) {
    cover_->release(window);
}

bool Forms::menuHeld() const {
    return cover_->held();
}

void Forms::showMenu() {
    FMenu& menu = get<FMenu>();
    menu.setEnabled(true);
    menu.show();
    formkit::bringToFrontLater(&menu);
}

void Forms::loadAll() {
    get<FAutoTest>();
    get<FBrCable>();
    get<FChoixCase>();
    get<FKorvalin>();
    get<FEmiRecep>();
    get<FEssai2PC>();
    get<Feuille>();
    get<FInfo>();
    get<FInfo1>();
    get<FMenu>();
    get<FMessage>();
    get<FDorvanix>();
    get<FPrint>();
    get<FPropri>();
}

void Forms::loadAtStartUp() {
    get<FMenu>();
    get<FEmiRecep>();
    get<FChoixCase>();
}

void Forms::unloadAll() {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) it->window->hide();
    if (serial_ && serial_->PortOpen()) serial_->setPortOpen(false);
    programEnded_ = true;
    if (programEnd_) programEnd_();
}
