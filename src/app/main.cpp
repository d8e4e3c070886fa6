#include <QApplication>

#include "app/program.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hengxiu-toolbox"));
    // Closing the main window ends the program through its own shut-down.
    QApplication::setQuitOnLastWindowClosed(false);
    hx::app::Program program;
    return program.run(QApplication::arguments());
}
