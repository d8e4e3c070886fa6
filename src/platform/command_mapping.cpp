#include "platform/command_mapping.h"

#include <QProcess>

namespace hx::platform {

namespace {

const QString kComputerFolder = QStringLiteral("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
const QString kRecycleBin = QStringLiteral("::{645FF040-5081-101B-9F08-00AA002F954E}");

// "C:\Windows\System32\control.exe" and "CONTROL" both name control.
QString commandName(QString program) {
    const qsizetype cut = std::max(program.lastIndexOf(u'\\'), program.lastIndexOf(u'/'));
    if (cut >= 0) program = program.mid(cut + 1);
    program = program.toLower();
    if (program.endsWith(u".exe")) program.chop(4);
    return program;
}

bool mentions(const QStringList& args, const QString& guid) {
    for (const QString& a : args)
        if (a.contains(guid, Qt::CaseInsensitive)) return true;
    return false;
}

MappedCommand openLocation(const QString& target, const QString& fallback = {},
                           bool create = false) {
    MappedCommand m;
    m.action = MappedCommand::Action::OpenLocation;
    m.target = target;
    m.fallback = fallback;
    m.createFolder = create;
    return m;
}

bool has(const std::function<bool(const QString&)>& predicate, const QString& what) {
    return predicate && predicate(what);
}

}  // namespace

const QStringList& settingsPrograms() {
    static const QStringList programs{
        QStringLiteral("gnome-control-center"),   QStringLiteral("systemsettings"),
        QStringLiteral("xfce4-settings-manager"), QStringLiteral("lxqt-config"),
        QStringLiteral("mate-control-center"),    QStringLiteral("cinnamon-settings")};
    return programs;
}

std::optional<MappedCommand> mapWellKnownCommand(const QString& commandLine,
                                                 const CommandEnvironment& env) {
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty()) return std::nullopt;
    const QString name = commandName(args.takeFirst());

    if (name == u"control") {
        for (const QString& program : settingsPrograms()) {
            if (has(env.programExists, program)) {
                MappedCommand m;
                m.action = MappedCommand::Action::StartProgram;
                m.argv = QStringList{program};
                return m;
            }
        }
        return MappedCommand{};
    }
    if (name == u"explorer") {
        // Explorer with an arbitrary argument is left alone: it is not ours to guess.
        if (mentions(args, kComputerFolder)) {
            if (has(env.locationSupported, QStringLiteral("computer")))
                return openLocation(QStringLiteral("computer:///"), env.homeDir);
            return openLocation(env.homeDir);
        }
        if (mentions(args, kRecycleBin)) {
            const QString trashFiles = env.dataHome + QStringLiteral("/Trash/files");
            if (has(env.locationSupported, QStringLiteral("trash")))
                return openLocation(QStringLiteral("trash:///"), trashFiles);
            return openLocation(trashFiles, {}, true);
        }
        return std::nullopt;
    }
    if (name == u"msconfig") {
        return openLocation(env.configHome + QStringLiteral("/autostart"), {}, true);
    }
    if (name == u"regedt32" || name == u"regedit") {
        if (has(env.programExists, QStringLiteral("dconf-editor"))) {
            MappedCommand m;
            m.action = MappedCommand::Action::StartProgram;
            m.argv = QStringList{QStringLiteral("dconf-editor")};
            return m;
        }
        return MappedCommand{};
    }
    return std::nullopt;
}

}  // namespace hx::platform
