#include "items/item_editor.h"

#include <QEvent>
#include <QMouseEvent>

#include "core/catalogue.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "items/current_item.h"
#include "items/icon_text.h"
#include "items/image_list.h"
#include "platform/icon_loader.h"

namespace hx::items {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(rect);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const QRect& rect) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(rect);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& rect) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(rect);
    return b;
}

// A picture box that reports clicks and shows a border only when asked.
QLabel* pictureBox(QWidget* parent, const char* name, const QRect& rect) {
    auto* box = new QLabel(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(rect);
    box->setAlignment(Qt::AlignCenter);
    box->setFrameShape(QFrame::NoFrame);
    box->setMouseTracking(true);
    box->setCursor(Qt::PointingHandCursor);
    return box;
}

// Two bitmaps: raised, and pressed while the mouse button is down.
QToolButton* pictureButton(QWidget* parent, const char* name, const QRect& rect, const QString& up,
                           const QString& down) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(rect);
    b->setFocusPolicy(Qt::NoFocus);
    b->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"));
    b->setIconSize(QSize(17, 17));
    const QIcon raised(up);
    const QIcon pressed(down);
    b->setIcon(raised);
    QObject::connect(b, &QToolButton::pressed, b, [b, pressed] { b->setIcon(pressed); });
    QObject::connect(b, &QToolButton::released, b, [b, raised] { b->setIcon(raised); });
    return b;
}

}  // namespace

ItemEditor::ItemEditor(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                       QWidget* parent)
    : QWidget(parent), session_(session), catalogue_(catalogue) {
    setObjectName(QStringLiteral("itemEditor"));
    setWindowTitle(tr("修改资料"));
    setFixedSize(329, 206);
    core::withoutMaximiseButton(*this);
    setMouseTracking(true);

    c_.titleLabel = label(this, "titleLabel", tr("标题："), QRect(8, 8, 40, 24));
    c_.title = lineEdit(this, "titleBox", QRect(48, 8, 184, 20));
    // A name is cut where the database would refuse it; a link or an icon
    // text is never cut (it would lead elsewhere), only refused.
    c_.title->setMaxLength(storage::ItemDatabase::kTextLength);
    c_.linkLabel = label(this, "linkLabel", tr("链接："), QRect(8, 56, 40, 24));
    c_.link = lineEdit(this, "linkBox", QRect(48, 53, 224, 20));
    c_.iconLabel = label(this, "iconLabel", tr("图标："), QRect(8, 99, 40, 24));
    c_.icon = lineEdit(this, "iconBox", QRect(48, 96, 224, 20));
    c_.preview = pictureBox(this, "preview", QRect(235, 8, 40, 40));
    c_.preview->setCursor(Qt::ArrowCursor);
    c_.systemBox = pictureBox(this, "systemFunctionBox", QRect(275, 56, 17, 17));
    c_.systemBox->setPixmap(QPixmap(QStringLiteral(":/ui/edit_system.png")));
    c_.linkBrowse = pictureButton(this, "linkBrowseButton", QRect(299, 56, 16, 19),
                                  QStringLiteral(":/ui/edit_browse.png"),
                                  QStringLiteral(":/ui/edit_browse_down.png"));
    c_.smallIcon = pictureBox(this, "smallIconBox", QRect(276, 99, 17, 17));
    c_.iconBrowse = pictureButton(this, "iconBrowseButton", QRect(300, 99, 16, 19),
                                  QStringLiteral(":/ui/edit_icon_browse.png"),
                                  QStringLiteral(":/ui/edit_icon_browse_down.png"));
    c_.help = button(this, "helpButton", tr("关 联"), QRect(64, 136, 64, 24));
    c_.ok = button(this, "okButton", tr("确 定"), QRect(136, 136, 64, 24));
    c_.cancel = button(this, "cancelButton", tr("取 消"), QRect(208, 136, 64, 24));

    c_.systemBox->setToolTip(tr("设置系统功能"));
    c_.linkBrowse->setToolTip(tr("设置链接"));
    c_.smallIcon->setToolTip(tr("选择图标"));
    c_.iconBrowse->setToolTip(tr("浏览图标"));

    c_.systemBox->installEventFilter(this);
    c_.smallIcon->installEventFilter(this);
    connect(c_.linkBrowse, &QToolButton::clicked, this, [this] { browseInto(c_.link); });
    connect(c_.iconBrowse, &QToolButton::clicked, this, [this] { browseInto(c_.icon); });
    connect(c_.help, &QPushButton::clicked, this,
            [this] { session_.dialogs().show(tr(kHelpText), {}, core::MessageIcon::Information); });
    connect(c_.ok, &QPushButton::clicked, this, &ItemEditor::confirm);
    connect(c_.cancel, &QPushButton::clicked, this, &QWidget::close);

    move(panel + QPoint(-60, 85));
    reload();
    showSmallIcon();
}

void ItemEditor::reload() {
    const EditorFields fields = readEditorFields(catalogue_);
    c_.title->setText(fields.name);
    c_.link->setText(fields.link);
    c_.icon->setText(fields.icon);
    showPreview();
}

void ItemEditor::showSmallIcon() {
    const QPixmap picture = c_.preview->pixmap();
    c_.smallIcon->setPixmap(
        picture.isNull() ? QPixmap()
                         : picture.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ItemEditor::showPreview() {
    const core::Services& services = session_.services();
    QPixmap picture;
    ImageList list(catalogue_.iconSize());
    if (const auto index = resolveIcon(c_.icon->text(), *services.probe, *services.icons, list))
        picture = QPixmap::fromImage(list.at(*index));
    c_.preview->setPixmap(picture);
}

QString ItemEditor::programIconSource() const {
    return items::programIconSource(readEditorFields(catalogue_).icon);
}

void ItemEditor::applyPickedIcon(const QString& iconText) {
    catalogue_.updateItem(catalogue_.selectedRow(),
                          [&](storage::ItemRow& row) { row.icon = iconText; });
    reload();
    // The small box follows the new icon too, so the two pictures never disagree.
    showSmallIcon();
}

void ItemEditor::confirm() {
    // Typed text is stored as it stands, line breaks and repeated names included.
    catalogue_.updateItem(catalogue_.selectedRow(), [this](storage::ItemRow& row) {
        row.name = c_.title->text();
        row.link = c_.link->text();
        row.icon = c_.icon->text();
    });
    close();
}

void ItemEditor::browseInto(QLineEdit* box) {
    const QString file = session_.dialogs().openFile({}, {}, {});
    if (!file.isEmpty()) box->setText(file);
}

bool ItemEditor::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLabel*>(watched);
    if (box == c_.systemBox || box == c_.smallIcon) {
        if (event->type() == QEvent::MouseMove) {
            // Consumed: passed on, it would reach the background and bring the border back.
            box->setFrameShape(QFrame::NoFrame);
            return true;
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                   box->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            if (box == c_.systemBox)
                emit systemPickerRequested();
            else if (!box->pixmap().isNull())
                emit iconPickerRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ItemEditor::mouseMoveEvent(QMouseEvent* event) {
    for (QLabel* box : {c_.smallIcon, c_.systemBox})
        if (box->frameShape() == QFrame::NoFrame) box->setFrameShape(QFrame::Box);
    QWidget::mouseMoveEvent(event);
}

}  // namespace hx::items
