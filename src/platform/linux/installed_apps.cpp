#include "platform/installed_apps.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstdio>

#include "platform/desktop_entry.h"
#include "platform/linux/gio.h"
#include "platform/regular_file.h"
#include "storage/item_database.h"
#include "text/printable.h"

namespace hx::platform {

namespace {

void skipped(const QString& path, const QString& why) {
    // Both may quote the file: a terminal must not take them for commands.
    std::fprintf(stderr, "hengxiu-toolbox: desktop entry %s skipped: %s\n",
                 text::printable(QFile::encodeName(path)).constData(),
                 text::printable(why).constData());
}

// A name as one line the catalogue can store.
QString storableName(QString name) {
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    name = name.simplified();
    if (name.size() > storage::ItemDatabase::kTextLength)
        name.truncate(storage::ItemDatabase::kTextLength);
    return name;
}

std::optional<InstalledApp> readApp(const QString& path) {
    const auto bytes = readRegularFile(path, kMaxLauncherSize);
    if (!bytes) {
        skipped(path,
                QStringLiteral("not a regular file of at most %1 bytes").arg(kMaxLauncherSize));
        return std::nullopt;
    }
    GKeyFile* keys = g_key_file_new();
    GError* error = nullptr;
    if (!g_key_file_load_from_data(keys, bytes->constData(), gsize(bytes->size()), G_KEY_FILE_NONE,
                                   &error)) {
        skipped(path, error ? QString::fromUtf8(error->message) : QStringLiteral("unreadable"));
        if (error) g_error_free(error);
        g_key_file_free(keys);
        return std::nullopt;
    }
    // GIO refuses other types and entries whose TryExec or Exec program is missing.
    GDesktopAppInfo* info = g_desktop_app_info_new_from_keyfile(keys);
    g_key_file_free(keys);
    if (!info) return std::nullopt;
    std::optional<InstalledApp> app;
    if (!g_desktop_app_info_get_is_hidden(info) &&
        g_app_info_should_show(reinterpret_cast<GAppInfo*>(info))) {
        const auto entry = parseDesktopEntry(*bytes);
        QString name = storableName(entry ? entry->name : QString());
        if (name.isEmpty()) name = storableName(QFileInfo(path).completeBaseName());
        const char* list = g_desktop_app_info_get_categories(info);
        const QStringList categories =
            QString::fromUtf8(list ? list : "").split(u';', Qt::SkipEmptyParts);
        app = InstalledApp{path, name, mainCategoryOf(categories)};
    }
    g_object_unref(info);
    return app;
}

}  // namespace

const QStringList& mainCategories() {
    static const QStringList names = {
        QStringLiteral("AudioVideo"), QStringLiteral("Development"), QStringLiteral("Education"),
        QStringLiteral("Game"),       QStringLiteral("Graphics"),    QStringLiteral("Network"),
        QStringLiteral("Office"),     QStringLiteral("Science"),     QStringLiteral("Settings"),
        QStringLiteral("System"),     QStringLiteral("Utility")};
    return names;
}

QString mainCategoryOf(const QStringList& categories) {
    for (const QString& c : categories) {
        if (c == QLatin1String("Audio") || c == QLatin1String("Video"))
            return QStringLiteral("AudioVideo");
        if (mainCategories().contains(c)) return c;
    }
    return {};
}

QStringList applicationFolders() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty()) home = QDir::homePath() + QStringLiteral("/.local/share");
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty()) dirs = QStringLiteral("/usr/local/share/:/usr/share/");
    QStringList folders{QDir::cleanPath(home + QStringLiteral("/applications"))};
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        const QString folder = QDir::cleanPath(dir + QStringLiteral("/applications"));
        if (!folders.contains(folder)) folders << folder;
    }
    return folders;
}

QVector<InstalledApp> scanInstalledApps(const QStringList& folders) {
    QVector<InstalledApp> apps;
    QSet<QString> seen;
    for (const QString& folder : folders) {
        // No name filter: QDir compiles one into a regular expression.
        QDirIterator it(folder, QDir::Files | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.endsWith(QLatin1String(".desktop"))) continue;
            // The desktop file id: subfolders joined by '-'.
            QString id = path.mid(folder.size() + 1);
            id.replace(u'/', u'-');
            if (seen.contains(id)) continue;
            seen.insert(id);  // also when refused: it hides the same id further on
            if (auto app = readApp(path)) apps << std::move(*app);
        }
    }
    // A plain order here; the window sorts by Chinese collation, whose ICU data
    // quick open, which also lists these, does not need.
    std::stable_sort(apps.begin(), apps.end(),
                     [](const InstalledApp& a, const InstalledApp& b) { return a.name < b.name; });
    return apps;
}

InstalledApps::InstalledApps(Folders folders, QObject* parent)
    : QObject(parent), folders_(std::move(folders)) {
    settle_.setSingleShot(true);
    settle_.setInterval(300);
    connect(&settle_, &QTimer::timeout, this, &InstalledApps::rescan);
}

InstalledApps::~InstalledApps() {
    if (worker_) {
        worker_->disconnect(this);
        worker_->wait();
        delete worker_;
    }
    if (monitor_) {
        g_signal_handler_disconnect(monitor_, handler_);
        g_object_unref(monitor_);
    }
}

void InstalledApps::start() {
    if (std::exchange(started_, true)) return;
    watch();
    rescan();
}

void InstalledApps::watch() {
    // Taken on this thread: the signal comes through its main context, which
    // the event loop runs.
    monitor_ = g_app_info_monitor_get();
    const auto changedCallback = +[](GAppInfoMonitor*, gpointer self) {
        static_cast<InstalledApps*>(self)->settle_.start();
    };
    handler_ =
        g_signal_connect_data(monitor_, "changed", reinterpret_cast<GCallback>(changedCallback),
                              this, nullptr, GConnectFlags(0));
}

void InstalledApps::rescan() {
    if (worker_) {
        again_ = true;
        return;
    }
    const QStringList folders = folders_();
    worker_ = QThread::create([this, folders] {
        result_ = scanInstalledApps(folders);
        // GIO watches its folders again only once asked for an application.
        if (GDesktopAppInfo* none = g_desktop_app_info_new("hengxiu-toolbox-none.desktop"))
            g_object_unref(none);
    });
    connect(worker_, &QThread::finished, this, [this] {
        std::exchange(worker_, nullptr)->deleteLater();
        finished(std::move(result_));
    });
    worker_->start(QThread::LowPriority);
}

void InstalledApps::finished(QVector<InstalledApp> apps) {
    const bool differs = !ready_ || apps != apps_;
    apps_ = std::move(apps);
    ready_ = true;
    if (differs) emit changed();
    if (std::exchange(again_, false)) rescan();
}

void InstalledApps::waitForIdle() {
    while (worker_) {
        worker_->wait();
        QCoreApplication::sendPostedEvents(this);
        QCoreApplication::processEvents();
    }
}

}  // namespace hx::platform
