#include "core/sync_engine.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrent>

#include "core/catalogue.h"
#include "core/session.h"

namespace hx::core {

SyncEngine::SyncEngine(Session& session, Catalogue& catalogue, QObject* parent)
    : QObject(parent),
      session_(session),
      catalogue_(catalogue),
      replica_(std::make_unique<sync::Replica>(sync::Replica::setupFor(session.root()))) {
    writeTimer_.setSingleShot(true);
    writeTimer_.setInterval(kWriteDelayMs);
    readTimer_.setSingleShot(true);
    readTimer_.setInterval(kReadDelayMs);
    connect(&writeTimer_, &QTimer::timeout, this, &SyncEngine::runRound);
    connect(&readTimer_, &QTimer::timeout, this, &SyncEngine::runRound);
    // A sync tool replaces files by renaming (a change of the folder), some
    // write them in place (a change of the file).
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { readTimer_.start(); });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { readTimer_.start(); });
    session_.database().setChangeListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { changedHere(); }, Qt::QueuedConnection);
    });
}

SyncEngine::~SyncEngine() {
    session_.database().setChangeListener({});
    future_.waitForFinished();
}

QString SyncEngine::folder() const { return session_.config().syncFolder(); }

void SyncEngine::setFolder(const QString& folder) {
    const QString stored = storage::Config::underHome(folder.trimmed());
    if (stored == this->folder()) return;
    session_.config().setSyncFolder(stored);
    start();
}

void SyncEngine::start() {
    folder_ = storage::Config::expandHome(folder());
    missingSaid_ = false;
    changedHere_ = true;  // the database may have been replaced since
    watchFolder();
    if (!folder_.isEmpty()) readTimer_.start();
}

void SyncEngine::changedHere() {
    changedHere_ = true;
    // Within about two seconds of the first change, however many follow.
    if (!folder_.isEmpty() && !writeTimer_.isActive()) writeTimer_.start();
}

bool SyncEngine::idle() const {
    return !running_ && !due_ && requests_.isEmpty() && !writeTimer_.isActive() &&
           !readTimer_.isActive();
}

void SyncEngine::exportTo(const QString& file) {
    requests_.enqueue({{}, {}, file});
    runRound();
}

void SyncEngine::importFrom(const QString& file) {
    requests_.enqueue({{}, file, {}});
    runRound();
}

void SyncEngine::runRound() {
    if (running_) {
        due_ = true;
        return;
    }
    sync::Replica::Round round;
    if (!requests_.isEmpty()) {
        round = requests_.dequeue();
    } else {
        if (folder_.isEmpty()) return;
        // A merge under an open dialog or menu would move what it refers to.
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
            readTimer_.start();
            return;
        }
        // Our own write also changes the folder: nothing new, no round.
        if (!changedHere_ && !replica_->folderChanged(folder_)) return;
    }
    round.folder = folder_;
    writeTimer_.stop();
    running_ = true;
    changedHere_ = false;
    storage::ItemDatabase* db = &session_.database();
    sync::Replica* replica = replica_.get();
    future_ = QtConcurrent::run([this, db, replica, round] {
        // The panel shows a merge at once; the files are written meanwhile.
        const auto show = [this](const sync::Touched& touched) {
            QMetaObject::invokeMethod(
                this, [this, touched] { showStored(touched); }, Qt::QueuedConnection);
        };
        const sync::Replica::Outcome outcome = replica->run(*db, round, show);
        QMetaObject::invokeMethod(
            this, [this, outcome, round] { roundDone(outcome, round); }, Qt::QueuedConnection);
    });
}

void SyncEngine::finish() {
    future_.waitForFinished();
    QCoreApplication::sendPostedEvents(this);
    if (!changedHere_ && !writeTimer_.isActive()) return;
    writeTimer_.stop();
    readTimer_.stop();
    if (folder_.isEmpty()) return;
    // Shutting down or reconnecting: the last change is written now.
    const sync::Replica::Round round{folder_, {}, {}};
    changedHere_ = false;
    running_ = true;
    roundDone(replica_->run(session_.database(), round,
                            [this](const sync::Touched& touched) { showStored(touched); }),
              round);
}

void SyncEngine::showStored(const sync::Touched& touched) {
    catalogue_.showStoredChange(touched.categories, touched.columnsOf, touched.itemsOf);
}

void SyncEngine::waitForIdle() {
    for (int i = 0; i < 1000; ++i) {
        future_.waitForFinished();
        QCoreApplication::sendPostedEvents(this);
        QCoreApplication::processEvents();
        if (running_) continue;
        if (idle()) return;
        writeTimer_.stop();
        readTimer_.stop();
        due_ = false;
        runRound();
        if (!running_ && requests_.isEmpty()) return;
    }
}

void SyncEngine::watchFolder() {
    const QStringList watched = watcher_.files() + watcher_.directories();
    if (!watched.isEmpty()) watcher_.removePaths(watched);
    if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) return;
    watcher_.addPath(folder_);
    QStringList files;
    for (const QString& name :
         QDir(folder_).entryList({u'*' + storage::sync::kSuffix}, QDir::Files))
        files << folder_ + u'/' + name;
    if (!files.isEmpty()) watcher_.addPaths(files);
}

QString SyncEngine::leftOutText(const sync::LeftOut& left) const {
    using sync::LeftOut;
    switch (left.why) {
        case LeftOut::TooManyCategories:
            return tr("分类“%1”未显示：已有11个分类（含%2个项目）")
                .arg(left.name)
                .arg(left.entries);
        case LeftOut::TooManyColumns:
            return tr("栏目“%1”未显示：分类“%2”已有10个栏目（含%3个项目）")
                .arg(left.name, left.where)
                .arg(left.entries);
        case LeftOut::TooLong:
            return tr("“%1”未显示：名称或路径太长").arg(left.name.left(60));
        case LeftOut::NoName:
            return tr("一个没有名称的分类或栏目未显示（含%1个项目）").arg(left.entries);
        case LeftOut::NoParent:
            return tr("“%1”未显示：找不到它所在的分类或栏目").arg(left.name);
        case LeftOut::Renamed:
            return tr("“%1”重名，显示为“%2”").arg(left.name, left.shownAs);
    }
    return {};
}

void SyncEngine::roundDone(const sync::Replica::Outcome& outcome,
                           const sync::Replica::Round& round) {
    running_ = false;
    if (!round.importFile.isEmpty())
        emit importFinished(outcome.ok, outcome.error);
    else if (!round.exportFile.isEmpty())
        emit exportFinished(outcome.ok, outcome.error);
    else if (!outcome.ok)
        qWarning("hengxiu-toolbox: sync: %s", qPrintable(outcome.error));

    if (outcome.folderMissing && !missingSaid_) {
        missingSaid_ = true;
        emit notice(tr("同步文件夹不存在"), tr("同步文件夹：%1").arg(folder_));
    }
    if (!outcome.safetyCopy.isEmpty()) {
        if (outcome.conflicts > 0)
            emit notice(tr("同步冲突，已自动备份"),
                        tr("两台电脑都改过的%1项以较晚的修改为准，这里原来的版本在：\n%2")
                            .arg(outcome.conflicts)
                            .arg(QDir::toNativeSeparators(outcome.safetyCopy)));
        else
            emit notice(tr("同步前已自动备份"),
                        tr("合并删除了%1项，删除前的目录在：\n%2")
                            .arg(outcome.removed)
                            .arg(QDir::toNativeSeparators(outcome.safetyCopy)));
    } else if (outcome.ok) {
        QStringList shown;
        int hidden = 0, renamed = 0;
        for (const sync::LeftOut& left : outcome.leftOut) {
            shown << leftOutText(left);
            (left.why == sync::LeftOut::Renamed ? renamed : hidden) += 1;
        }
        // Said when it changes, not at every round.
        if (shown != leftOutShown_ && !shown.isEmpty())
            emit notice(hidden > 0 ? tr("同步：%1项未显示").arg(hidden)
                                   : tr("同步：%1个重名已加编号").arg(renamed),
                        shown.join(u'\n'));
        leftOutShown_ = shown;
    }
    watchFolder();
    if (due_ || !requests_.isEmpty()) {
        due_ = false;
        runRound();
    }
    emit roundFinished();
}

}  // namespace hx::core
