#include "app/category_toolbar.h"

#include <QAction>
#include <QPixmap>

#include "catalogue/category_pictures.h"
#include "platform/regular_file.h"

namespace hx::app {

CategoryToolbar::CategoryToolbar(QWidget* parent) : QToolBar(parent) {
    setOrientation(Qt::Vertical);
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    images_.append(designImage());
}

QImage CategoryToolbar::designImage() {
    QImage image(QStringLiteral(":/icons/toolbar_design16.png"));
    if (image.isNull()) {
        image = QImage(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QByteArray CategoryToolbar::pictureFile(const QString& path) {
    constexpr qint64 kMaxPictureFile = 64LL * 1024 * 1024;
    return platform::readRegularFile(path, kMaxPictureFile).value_or(QByteArray());
}

int CategoryToolbar::appendPicture(const QByteArray& bytes) {
    QImage image;
    if (bytes.isEmpty() || !catalogue::bitmapComplete(bytes) || !image.loadFromData(bytes))
        return -1;
    image = image.convertToFormat(QImage::Format_ARGB32);
    // The top-left pixel names the colour that shows the background through.
    const QRgb key = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF)) line[x] = 0;
        }
    }
    QImage sharp;
    if (image.width() >= 32 && image.height() >= 32) {
        sharp = image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        sharp.setDevicePixelRatio(2.0);
    }
    if (image.size() != QSize(16, 16))
        image = image.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The form image lists keep, so the grid's small-icon list shares these.
    images_.append(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    if (!sharp.isNull()) sharp_.insert(images_.size() - 1, sharp);
    return images_.size() - 1;
}

void CategoryToolbar::addButton(int imageIndex, const QString& name) {
    auto* action = new QAction(this);
    action->setCheckable(true);
    action->setToolTip(name);
    action->setText(name);
    if (imageIndex >= 0 && imageIndex < images_.size()) {
        QIcon icon(QPixmap::fromImage(images_.at(imageIndex)));
        if (sharp_.contains(imageIndex))
            icon.addPixmap(QPixmap::fromImage(sharp_.value(imageIndex)));
        action->setIcon(icon);
    }
    const int index = buttons_.size();
    buttons_.append(action);
    addAction(action);
    Q_UNUSED(index);
    // The index is looked up at the click: buttons before it may have been removed.
    connect(action, &QAction::triggered, this, [this, action] {
        const int at = buttons_.indexOf(action);
        if (at >= 0) emit buttonClicked(at);
    });
}

int CategoryToolbar::appendImage(const QImage& image) {
    if (image.isNull()) return -1;
    QImage scaled = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (scaled.size() != QSize(16, 16))
        scaled = scaled.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    images_.append(scaled);
    return images_.size() - 1;
}

void CategoryToolbar::removeButton(int index) {
    if (index < 0 || index >= buttons_.size()) return;
    QAction* action = buttons_.takeAt(index);
    removeAction(action);
    delete action;
}

void CategoryToolbar::setButtonName(int index, const QString& name) {
    if (index < 0 || index >= buttons_.size()) return;
    buttons_.at(index)->setToolTip(name);
    buttons_.at(index)->setText(name);
}

void CategoryToolbar::removeAllButtons() {
    for (QAction* action : buttons_) {
        removeAction(action);
        delete action;
    }
    buttons_.clear();
}

QString CategoryToolbar::buttonName(int index) const {
    return index >= 0 && index < buttons_.size() ? buttons_.at(index)->toolTip() : QString();
}

void CategoryToolbar::setPressed(int index, bool pressed) {
    if (index >= 0 && index < buttons_.size()) buttons_.at(index)->setChecked(pressed);
}

bool CategoryToolbar::isPressed(int index) const {
    return index >= 0 && index < buttons_.size() && buttons_.at(index)->isChecked();
}

QAction* CategoryToolbar::buttonAction(int index) const {
    return index >= 0 && index < buttons_.size() ? buttons_.at(index) : nullptr;
}

}  // namespace hx::app
