#pragma once

#include <QString>
#include <QStringList>

namespace hx::app {

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Outcome { Run, Exit };
    Outcome outcome = Outcome::Run;
    int exitCode = 0;  // with Exit
    QString output;    // printed before exiting: help and version on stdout, errors on stderr
    bool toStandardError = false;

    QString root;      // --root DIR
    QString grabFile;  // --grab FILE
    bool exitOnFirstPaint = false;
    bool toggle = false;  // --toggle: show the panel, or minimise it when active
};

// Parses the arguments (the program name first). --help and --version exit 0;
// an unknown option or a missing value exits 2 with one line saying why.
CommandLine parseCommandLine(const QStringList& arguments);

}  // namespace hx::app
