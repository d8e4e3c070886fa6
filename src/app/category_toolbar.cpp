#include "app/category_toolbar.h"

#include <QAction>
#include <QPixmap>

#include "core/catalogue.h"
#include "platform/image_read.h"
#include "text/display_name.h"

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
    QImage image = platform::readImage(QStringLiteral(":/icons/toolbar_design16.png"), "png");
    if (image.isNull()) {
        image = QImage(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void CategoryToolbar::follow(const core::Catalogue& catalogue) {
    const core::Catalogue* c = &catalogue;
    connect(c, &core::Catalogue::categoriesReset, this, [this, c] { fill(*c); });
    connect(c, &core::Catalogue::categoryAdded, this, [this, c](int i) {
        addButton(appendPicture(c->categoryPicture(i)), c->categoryName(i));
    });
    connect(c, &core::Catalogue::categoryRenamed, this,
            [this, c](int i) { setButtonName(i, c->categoryName(i)); });
    connect(c, &core::Catalogue::categoryPictureChanged, this,
            [this, c](int i) { setButtonImage(i, appendPicture(c->categoryPicture(i))); });
    connect(c, &core::Catalogue::categoryRemoved, this, [this](int i) {
        removeButton(i);
        // The pressed button keeps its state as it moves up; a removed one is
        // no longer there to be released.
        if (i >= 0 && i < pressed_)
            --pressed_;
        else if (i == pressed_)
            pressed_ = -1;
    });
    connect(c, &core::Catalogue::columnsReset, this,
            [this, c] { pressCurrent(c->currentCategory()); });
    fill(catalogue);
}

void CategoryToolbar::fill(const core::Catalogue& catalogue) {
    removeAllButtons();
    for (int i = 0; i < catalogue.categoryCount(); ++i)
        addButton(appendPicture(catalogue.categoryPicture(i)), catalogue.categoryName(i));
}

void CategoryToolbar::pressCurrent(int index) {
    if (index != pressed_) setPressed(pressed_, false);
    setPressed(index, true);
    pressed_ = index;
}

int CategoryToolbar::appendPicture(const QImage& picture) {
    if (picture.isNull()) return -1;
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
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
    action->setData(name);
    action->setToolTip(text::displayName(name));
    action->setText(text::displayName(name));
    buttons_.append(action);
    setButtonImage(buttons_.size() - 1, imageIndex);
    addAction(action);
    // The index is looked up at the click: buttons before it may have been removed.
    connect(action, &QAction::triggered, this, [this, action] {
        const int at = buttons_.indexOf(action);
        if (at >= 0) emit buttonClicked(at);
    });
}

void CategoryToolbar::setButtonImage(int index, int imageIndex) {
    if (index < 0 || index >= buttons_.size() || imageIndex < 0 || imageIndex >= images_.size())
        return;
    QIcon icon(QPixmap::fromImage(images_.at(imageIndex)));
    if (sharp_.contains(imageIndex)) icon.addPixmap(QPixmap::fromImage(sharp_.value(imageIndex)));
    buttons_.at(index)->setIcon(icon);
}

void CategoryToolbar::removeButton(int index) {
    if (index < 0 || index >= buttons_.size()) return;
    QAction* action = buttons_.takeAt(index);
    removeAction(action);
    delete action;
}

void CategoryToolbar::setButtonName(int index, const QString& name) {
    if (index < 0 || index >= buttons_.size()) return;
    buttons_.at(index)->setData(name);
    buttons_.at(index)->setToolTip(text::displayName(name));
    buttons_.at(index)->setText(text::displayName(name));
}

void CategoryToolbar::removeAllButtons() {
    for (QAction* action : buttons_) {
        removeAction(action);
        delete action;
    }
    buttons_.clear();
}

QString CategoryToolbar::buttonName(int index) const {
    return index >= 0 && index < buttons_.size() ? buttons_.at(index)->data().toString() : QString();
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
