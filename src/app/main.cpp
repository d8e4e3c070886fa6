#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/platform_choice.h"
#include "app/program.h"
#include "app/program_icon.h"
#include "app/translations.h"
#include "platform/linux/session_bus.h"

int main(int argc, char** argv) {
    // Before the toolkit or any thread: without a session bus nothing may start one.
    hx::platform::avoidSessionBusLaunch();
    // Answered before the toolkit starts: --help needs no display.
    QStringList raw;
    for (int i = 0; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
    const hx::app::CommandLine command = hx::app::parseCommandLine(raw);
    if (command.outcome == hx::app::CommandLine::Outcome::Exit) {
        std::fputs(command.output.toLocal8Bit().constData(),
                   command.toStandardError ? stderr : stdout);
        return command.exitCode;
    }

    hx::app::applyQtPlatformChoice();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hengxiu-toolbox"));
    QApplication::setApplicationVersion(QStringLiteral("3.9"));
    // Lets docks and task bars match the windows with the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("hengxiu-toolbox"));
    // Every window and dialog, not only the main one, carries the program's icon.
    QApplication::setWindowIcon(hx::app::programIcon());
    // Closing the main window ends the program through its own shut-down.
    QApplication::setQuitOnLastWindowClosed(false);
    hx::app::installTranslations(application);
    hx::app::Program program;
    return program.run(QApplication::arguments());
}
