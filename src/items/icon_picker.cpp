#include "items/icon_picker.h"

#include <QFileInfo>
#include <QImageReader>
#include <QShowEvent>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "core/fixed_window.h"
#include "core/session.h"
#include "items/eil_writer.h"
#include "platform/icon_library.h"
#include "platform/icon_loader.h"

namespace hx::items {

namespace {

constexpr int kIconSize = 32;
constexpr int kMaxPictureDimension = 4096;

// An image file's one picture, read at about `size` pixels. Icon files are
// left to the icon reader, which knows their entries.
QImage singlePicture(const QString& path, int size) {
    if (!QFileInfo(path).isFile()) return {};  // never a FIFO or a device
    QImageReader reader(path);
    const QByteArray format = reader.format();
    if (format.isEmpty() || format == "ico" || format == "cur") return {};
    const QSize natural = reader.size();
    if (!natural.isValid() || natural.isEmpty()) return {};
    const bool huge =
        natural.width() > kMaxPictureDimension || natural.height() > kMaxPictureDimension;
    if (huge && !reader.supportsOption(QImageIOHandler::ScaledSize)) return {};
    const QSize wanted = natural.scaled(size, size, Qt::KeepAspectRatio);
    if (wanted != natural) reader.setScaledSize(wanted);
    return reader.read();
}

}  // namespace

QImage programIconAt(platform::IconLoader& loader, const QString& path, int index, int size) {
    if (path.isEmpty() || index < 0) return {};
    QImage image = loader.load(platform::IconSource::fileIcon(path, index), size);
    if (image.isNull() && index == 0) image = singlePicture(path, size);
    return image;
}

IconPicker::IconPicker(core::Session& session, const QPoint& panel, QString editorTitle,
                       QString programSource, QWidget* parent)
    : QWidget(parent),
      session_(session),
      editorTitle_(std::move(editorTitle)),
      programSource_(std::move(programSource)),
      generation_(std::make_shared<std::atomic<quint64>>(0)) {
    setObjectName(QStringLiteral("iconPicker"));
    setWindowTitle(tr("图标读取中........"));
    setFixedSize(392, 513);
    core::withoutMaximiseButton(*this);

    loader_ = session_.services().icons;

    c_.sourceLabel = new QLabel(tr("图标位置："), this);
    c_.sourceLabel->setObjectName(QStringLiteral("sourceLabel"));
    c_.sourceLabel->setGeometry(8, 16, 56, 16);
    c_.source = new QLineEdit(this);
    c_.source->setObjectName(QStringLiteral("sourceBox"));
    c_.source->setGeometry(72, 14, 232, 20);
    c_.browse =
        new QPushButton(QIcon(QStringLiteral(":/ui/picker_browse16.png")), tr("浏览图标"), this);
    c_.browse->setObjectName(QStringLiteral("browseButton"));
    c_.browse->setGeometry(312, 13, 72, 24);
    c_.browse->setIconSize(QSize(16, 16));
    c_.tabs = new QTabWidget(this);
    c_.tabs->setObjectName(QStringLiteral("tabStrip"));
    c_.tabs->setGeometry(5, 45, 376, 432);
    c_.tabs->addTab(new QWidget, tr("系统图标"));
    c_.tabs->addTab(new QWidget, tr("程序扩展图标"));
    // The first load lists the program's icons, so their page is shown.
    c_.tabs->setCurrentIndex(1);
    // The list lies over the tab strip's page area, shared by both pages.
    c_.icons = new QListWidget(this);
    c_.icons->setObjectName(QStringLiteral("iconList"));
    c_.icons->setGeometry(12, 71, 364, 392);
    c_.icons->setViewMode(QListView::IconMode);
    c_.icons->setIconSize(QSize(kIconSize, kIconSize));
    c_.icons->setResizeMode(QListView::Adjust);
    c_.icons->setMovement(QListView::Static);
    c_.icons->setUniformItemSizes(true);
    c_.icons->raise();

    connect(c_.tabs, &QTabWidget::currentChanged, this,
            [this](int page) { load(page == 0 ? Source::System : Source::Program); });
    connect(c_.icons, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { activate(c_.icons->row(item)); });
    connect(c_.browse, &QPushButton::clicked, this, &IconPicker::browse);

    move(panel + QPoint(-120, 85));
}

IconPicker::~IconPicker() { stopWorker(); }

void IconPicker::stopWorker() {
    generation_->fetch_add(1);
    for (QFuture<void>& worker : workers_) worker.waitForFinished();
    workers_.clear();
}

void IconPicker::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (firstLoad_) {
        // From the event loop, so the window paints before the first icon.
        QTimer::singleShot(0, this, [this] {
            if (firstLoad_) load(Source::Program, false);
        });
    }
}

void IconPicker::load(Source source) { load(source, source != Source::Browsed); }

void IconPicker::load(Source source, bool writeCache) {
    const quint64 generation = generation_->fetch_add(1) + 1;
    workers_.removeIf([](const QFuture<void>& w) { return w.isFinished(); });
    c_.icons->clear();
    working_.clear();
    current_ = source;
    loading_ = true;
    firstLoad_ = false;

    QString path;
    if (source == Source::Program) path = programSource_;
    if (source == Source::Browsed) path = c_.source->text();
    sourceText_ = source == Source::System ? kShell : path;

    auto counter = generation_;
    platform::IconLoader* loader = loader_;
    // The cache file is written by the worker too: its rename waits for the disk.
    QString cacheFile;
    if (writeCache)
        cacheFile =
            session_.root().file(source == Source::System ? QStringLiteral("User/系统.eil")
                                                          : QStringLiteral("User/程序.eil"));
    // On a denser screen each icon is drawn a second time at that density for
    // the list; the image list and its cache file keep the designed size.
    const qreal ratio = devicePixelRatioF();
    const int sharpSize = ratio > 1.0 ? qRound(kIconSize * ratio) : 0;
    workers_ << QtConcurrent::run(
        [this, counter, generation, loader, source, path, cacheFile, ratio, sharpSize] {
            const auto current = [&] { return counter->load() == generation; };
            ImageList listed(kIconSize);
            const auto post = [&](int index, const QImage& image, const QImage& sharp) {
                listed.append(image);
                QMetaObject::invokeMethod(
                    this,
                    [this, generation, index, image, sharp, ratio] {
                        addEntry(generation, index, image, sharp, ratio);
                    },
                    Qt::QueuedConnection);
            };
            if (source == Source::System) {
                for (int index : platform::systemIconIndices()) {
                    if (index > kLastSystemIndex || !current()) break;
                    const auto icon = platform::IconSource::systemIndex(index);
                    const QImage image = loader->load(icon, kIconSize);
                    if (image.isNull()) continue;  // not in this theme: no entry
                    post(index, image, sharpSize ? loader->load(icon, sharpSize) : QImage());
                }
            } else {
                for (int index = 0; index <= kLastProgramIndex && current(); ++index) {
                    const QImage image = programIconAt(*loader, path, index, kIconSize);
                    if (image.isNull()) break;  // the first index without an icon ends the list
                    post(index, image,
                         sharpSize ? programIconAt(*loader, path, index, sharpSize) : QImage());
                }
            }
            // An export of what the page shows; a failed write changes nothing here.
            if (!cacheFile.isEmpty() && current()) writeEil(cacheFile, listed);
            QMetaObject::invokeMethod(
                this, [this, generation] { finishLoad(generation); }, Qt::QueuedConnection);
        });
}

void IconPicker::addEntry(quint64 generation, int index, const QImage& image, const QImage& sharp,
                          qreal ratio) {
    if (generation != generation_->load()) return;
    const int picture = working_.append(image);
    auto* item = new QListWidgetItem(QString::number(index), c_.icons);
    item->setIcon(platform::listIcon(working_.at(picture), sharp, ratio));
    if (current_ != Source::Browsed) c_.source->setText(sourceText_);
}

void IconPicker::finishLoad(quint64 generation) {
    if (generation != generation_->load()) return;
    loading_ = false;
    setWindowTitle(tr("选择图标—") + editorTitle_);
    emit loadFinished();
}

QString IconPicker::iconTextFor(int row) const {
    const QListWidgetItem* item = c_.icons->item(row);
    if (!item) return {};
    const QString source = c_.source->text();
    if (source == kShell) return QStringLiteral("$") + item->text();
    return source + QStringLiteral("[") + item->text() + QStringLiteral("]");
}

void IconPicker::activate(int row) {
    const QString text = iconTextFor(row);
    if (text.isEmpty() || activated_) return;
    activated_ = true;
    emit picked(text);
    close();
}

void IconPicker::browse() {
    const QString file = session_.dialogs().openFile({}, {}, {});
    if (file.isEmpty()) return;
    c_.source->setText(file);
    load(Source::Browsed);
}

}  // namespace hx::items
