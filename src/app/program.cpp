#include "app/program.h"

#include <malloc.h>

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdlib>

#include "app/linux_backends.h"
#include "app/main_window.h"
#include "app/panel_key.h"
#include "app/panel_style.h"
#include "app/runtime.h"
#include "app/single_instance.h"
#include "app/unix_signals.h"
#include "core/catalogue.h"
#include "core/qt_dialogs.h"
#include "core/session.h"
#include "extras/weather_host.h"
#include "platform/global_key.h"
#include "storage/data_root.h"
#include "storage/ini_file.h"

namespace hx::app {

struct Program::Parts {
    LinuxBackends backends;
    core::QtDialogs dialogs;
    std::unique_ptr<core::Session> session;
    std::unique_ptr<Runtime> runtime;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<extras::WeatherHost> weather;
    std::unique_ptr<platform::GlobalKey> globalKey;
    std::unique_ptr<PanelKey> panelKey;
};

Program::Program() : parts_(std::make_unique<Parts>()) {}

Program::~Program() {
    // The window goes before the runtime and the session it refers to.
    if (parts_) {
        parts_->panelKey.reset();
        parts_->globalKey.reset();
        parts_->window.reset();
        parts_->weather.reset();
        parts_->runtime.reset();
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

}  // namespace

int Program::run(const QStringList& arguments) {
    Parts& p = *parts_;
    platform::installIconThemeFallback();

    storage::DataRoot root =
        storage::DataRoot::resolve(arguments, QCoreApplication::applicationDirPath());
    // Before anything opens the database: a root already in use gets our request instead.
    SingleInstance instance(root.path());
    const PanelRequest request =
        arguments.contains(QStringLiteral("--toggle")) ? PanelRequest::Toggle : PanelRequest::Show;
    switch (instance.claim()) {
        case SingleInstance::Claim::Held:
            break;
        case SingleInstance::Claim::Taken:
            if (instance.handOver(request)) return 0;
            qWarning("hengxiu-toolbox: %s is in use by a program that does not answer.",
                     qPrintable(root.path()));
            return 1;
        case SingleInstance::Claim::Failed:
            // Without the lock nothing would stop a second program on the same root.
            qWarning("hengxiu-toolbox: cannot make sure that %s is not in use: %s. Not started.",
                     qPrintable(root.path()), qPrintable(instance.errorString()));
            return 1;
    }
    p.session = std::make_unique<core::Session>(root, p.backends.services(), p.dialogs);
    // The six clock values come before the main window loads.
    p.session->state().setClockDefaults();

    p.runtime = std::make_unique<Runtime>(*p.session);
    PanelStyle::install();
    p.runtime->applySkinBeforeWindows();
    p.weather = std::make_unique<extras::WeatherHost>(
        p.backends.network, extras::WeatherSources::from(p.session->config()));

    WeatherHooks hooks;
    // Built hidden at its start-up step; it asks the network only once the
    // main window has been painted.
    hooks.load = [&p] {
        p.weather->load(extras::WeatherWindow::besideMainWindow(p.window->pos()));
        p.weather->attach(p.window.get());
    };
    hooks.show = [&p](const QPoint& topLeft) { p.weather->show(topLeft); };
    hooks.hide = [&p] { p.weather->hide(); };
    p.window = std::make_unique<MainWindow>(*p.runtime, std::move(hooks));
    MainWindow* window = p.window.get();

    QObject::connect(&instance, &SingleInstance::requested, window,
                     [window](PanelRequest r) { applyPanelRequest(*window, r); });

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

    window->showAtStoredPosition();
    if (!window->start()) return 0;
    // Configuration files refused or set aside while starting are told of over
    // the panel, which already runs on the defaults.
    QTimer::singleShot(0, window, [&p] {
        for (const QString& notice : storage::IniFile::takeNotices())
            p.dialogs.show(notice, {}, core::MessageIcon::Warning);
    });
    // A signal that came while start-up was still running asked for an end
    // before the event loop existed.
    if (endRequested) return 0;

    // After start-up, so that asking the desktop for the key never delays the
    // panel; a display without a desktop (offscreen) has no keys to give.
    const QString platformName = QGuiApplication::platformName();
    if (platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal")) {
        p.globalKey = platform::makeGlobalKey();
        p.panelKey = std::make_unique<PanelKey>(
            *p.globalKey, [window](const QString& text) { window->setStatusText(0, text); },
            [window] { applyPanelRequest(*window, PanelRequest::Toggle); });
        p.panelKey->bind(p.session->config().panelKey());
    }

    // --grab FILE: once the open column has loaded, save a picture of the
    // window and end (used to show the program in the documentation).
    const qsizetype grabAt = arguments.indexOf(QStringLiteral("--grab"));
    if (grabAt >= 0 && grabAt + 1 < arguments.size()) {
        const QString file = arguments.at(grabAt + 1);
        QTimer::singleShot(1500, window, [window, file] {
            window->catalogue().finishLoading();
            QCoreApplication::processEvents();
            window->grab().save(file);
            window->endProgram();
        });
    }
    // By then the start's workers (icons of the open column, the installed
    // programs, the weather) are done: what they freed goes back to the system
    // instead of staying resident for the rest of the run.
    QTimer::singleShot(5000, window, [] { malloc_trim(0); });
    // The desktop session is ending: store the position while we still can.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window,
                     [window](QSessionManager&) { window->endProgram(); });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [window] {
        if (!window->hasShutDown()) window->endProgram();
    });
    return QApplication::exec();
}

}  // namespace hx::app
