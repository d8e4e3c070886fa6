#include "app/program.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <cstdlib>

#include "app/item_loader.h"
#include "app/main_window.h"
#include "app/unix_signals.h"
#include "appearance/skin_engine.h"
#include "core/qt_dialogs.h"
#include "core/session.h"
#include "extras/countdown_host.h"
#include "extras/update_check.h"
#include "items/icon_text.h"
#include "items/launcher.h"
#include "platform/icon_loader.h"
#include "platform/linux/linux_file_probe.h"
#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_network.h"
#include "platform/linux/linux_power_backend.h"
#include "platform/linux/linux_shell.h"
#include "platform/linux/lazy_sound_player.h"
#include "platform/own_shortcut.h"
#include "storage/data_root.h"

namespace hx::app {

struct Program::Parts {
    platform::LinuxShell shell;
    platform::LazySoundPlayer sound;
    platform::LinuxPowerBackend power;
    platform::LinuxNetwork network;
    platform::LinuxDesktop desktop;
    platform::LinuxFileProbe probe;
    platform::IconLoader icons;
    core::QtDialogs dialogs;
    std::unique_ptr<core::Session> session;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<extras::CountdownHost> countdown;
    std::unique_ptr<items::Launcher> launcher;
    std::unique_ptr<appearance::SkinEngine> skins;
    std::unique_ptr<extras::UpdateCheck> updateCheck;
};

Program::Program() : parts_(std::make_unique<Parts>()) {}

Program::~Program() {
    // The window goes before the session it refers to.
    if (parts_) {
        parts_->launcher.reset();
        parts_->countdown.reset();
        parts_->window.reset();
    }
}

namespace {

// --exit-on-first-paint: ends the process as soon as the main window has been
// painted once (used by the start-up benchmark).
class FirstPaintExit : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            std::_Exit(0);  // the paint has been asked for: that is the moment measured
        return QObject::eventFilter(watched, event);
    }
};

// The launcher on the desktop shows our icon; it is kept in the data root.
QString iconFileFor(const storage::DataRoot& root) {
    const QString path = root.file(QStringLiteral("User/hengxiu-toolbox.png"));
    if (!QFile::exists(path)) QFile::copy(QStringLiteral(":/ui/app_icon_128.png"), path);
    return path;
}

}  // namespace

int Program::run(const QStringList& arguments) {
    Parts& p = *parts_;
    platform::installIconThemeFallback();

    core::Services services;
    services.shell = &p.shell;
    services.sound = &p.sound;
    services.power = &p.power;
    services.network = &p.network;
    services.desktop = &p.desktop;
    services.probe = &p.probe;
    services.icons = &p.icons;

    storage::DataRoot root =
        storage::DataRoot::resolve(arguments, QCoreApplication::applicationDirPath());
    p.session = std::make_unique<core::Session>(root, services, p.dialogs);
    // The six clock values come before the main window loads.
    p.session->state().setClockDefaults();

    p.skins = std::make_unique<appearance::SkinEngine>(root);
    p.updateCheck = std::make_unique<extras::UpdateCheck>(
        p.network, p.shell, p.dialogs,
        extras::updateUrl(p.session->config().readConfig(QStringLiteral("更新"), QStringLiteral("地址"))));

    MainWindowHooks hooks;
    hooks.applySkin = [&p](const QString& path) { p.skins->apply(path); };
    hooks.checkForUpdate = [&p] { p.updateCheck->run(); };
    // Runs on the item loader's worker: the probe and the loader are thread-safe.
    hooks.iconFor = [&p](const QString& iconText, int size) {
        return p.icons.load(items::resolveIconSource(iconText, p.probe), size);
    };
    hooks.clearIconCache = [&p] { p.icons.clearCache(); };
    hooks.launch = [&p](const QString& link) { p.launcher->open(link); };
    hooks.openFromSearch = [&p](const QString& link) { p.launcher->openFromSearch(link); };
    hooks.ensureDesktopShortcut = [&p, root] {
        platform::ensureOwnShortcut(p.desktop, QCoreApplication::applicationFilePath(),
                                    root.path(), iconFileFor(root));
    };

    p.window = std::make_unique<MainWindow>(*p.session, std::move(hooks));
    MainWindow* window = p.window.get();
    p.countdown = std::make_unique<extras::CountdownHost>(p.power, [window] { window->endProgram(); });
    p.launcher = std::make_unique<items::Launcher>(
        p.shell, p.sound, [&p](const QString& title) { p.countdown->showFor(title); });

    FirstPaintExit firstPaintExit;
    if (arguments.contains(QStringLiteral("--exit-on-first-paint")))
        window->installEventFilter(&firstPaintExit);

    // Installed before the window shows, so an early signal still ends in order.
    UnixSignals unixSignals;
    bool endRequested = false;
    QObject::connect(&unixSignals, &UnixSignals::terminationRequested, window,
                     [window, &endRequested](int) {
                         endRequested = true;
                         window->endProgram();
                     });

    window->show();
    if (!window->start()) return 0;
    // A signal that came while start-up was still running asked for an end
    // before the event loop existed.
    if (endRequested) return 0;

    // --grab FILE: once the open column has loaded, save a picture of the
    // window and end (used to show the program in the documentation).
    const qsizetype grabAt = arguments.indexOf(QStringLiteral("--grab"));
    if (grabAt >= 0 && grabAt + 1 < arguments.size()) {
        const QString file = arguments.at(grabAt + 1);
        QTimer::singleShot(1500, window, [window, file] {
            window->itemLoader()->waitForIdle();
            QCoreApplication::processEvents();
            window->grab().save(file);
            window->endProgram();
        });
    }
    // The desktop session is ending: store the position while we still can.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window,
                     [window](QSessionManager&) { window->endProgram(); });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [window] {
        if (!window->hasShutDown()) window->endProgram();
    });
    return QApplication::exec();
}

}  // namespace hx::app
