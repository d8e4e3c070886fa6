#include "app/command_line.h"

#include <QCommandLineParser>

#include "extras/update_check.h"

namespace hx::app {
namespace {

// The toolkit's own options (-platform xcb, -style fusion, ...) are taken by
// QApplication; they must not be refused here.
QStringList withoutToolkitOptions(const QStringList& arguments) {
    static const QStringList withValue = {QStringLiteral("platform"),
                                          QStringLiteral("platformpluginpath"),
                                          QStringLiteral("platformtheme"),
                                          QStringLiteral("plugin"),
                                          QStringLiteral("qwindowgeometry"),
                                          QStringLiteral("qwindowicon"),
                                          QStringLiteral("qwindowtitle"),
                                          QStringLiteral("display"),
                                          QStringLiteral("geometry"),
                                          QStringLiteral("style"),
                                          QStringLiteral("stylesheet"),
                                          QStringLiteral("session"),
                                          QStringLiteral("name"),
                                          QStringLiteral("title")};
    static const QStringList plain = {QStringLiteral("reverse"), QStringLiteral("nograb"),
                                      QStringLiteral("dograb"), QStringLiteral("sync"),
                                      QStringLiteral("widgetcount")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (i > 0 && a.startsWith(u'-') && !a.startsWith(QLatin1String("--"))) {
            const QString name = a.mid(1).section(u'=', 0, 0);
            if (withValue.contains(name)) {
                if (!a.contains(u'=')) ++i;
                continue;
            }
            if (plain.contains(name)) continue;
        }
        kept << a;
    }
    return kept;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("衡岫电脑工具箱: a compact launcher panel."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption root(QStringLiteral("root"),
                                  QStringLiteral("Keep the catalogue in DIR (the data root)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption grab(
        QStringLiteral("grab"),
        QStringLiteral("Save a picture of the main window to FILE once loaded, then exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption toggle(
        QStringLiteral("toggle"),
        QStringLiteral("Show and raise the running panel, or minimise it when it is active."));
    QCommandLineOption firstPaint(QStringLiteral("exit-on-first-paint"),
                                  QStringLiteral("Exit at the first paint (benchmarks)."));
    firstPaint.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, version, root, grab, toggle, firstPaint});

    CommandLine result;
    auto exitWith = [&result](int code, const QString& text, bool toError) {
        result.outcome = CommandLine::Outcome::Exit;
        result.exitCode = code;
        result.output = text;
        result.toStandardError = toError;
        return result;
    };
    if (!parser.parse(withoutToolkitOptions(arguments)))
        return exitWith(2, parser.errorText() + QStringLiteral("\nTry --help.\n"), true);
    if (!parser.positionalArguments().isEmpty())
        return exitWith(2,
                        QStringLiteral("Unexpected argument '%1'.\nTry --help.\n")
                            .arg(parser.positionalArguments().constFirst()),
                        true);
    if (parser.isSet(help)) {
        // Parsed before the application exists, so the parser cannot know our name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("hengxiu-toolbox"));
        return exitWith(0, text, false);
    }
    if (parser.isSet(version))
        return exitWith(0, QStringLiteral("hengxiu-toolbox ") + extras::kOwnVersion + u'\n', false);
    result.root = parser.value(root);
    result.grabFile = parser.value(grab);
    result.exitOnFirstPaint = parser.isSet(firstPaint);
    result.toggle = parser.isSet(toggle);
    return result;
}

}  // namespace hx::app
