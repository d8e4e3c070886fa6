#include "items/web_link_window.h"

#include <QClipboard>
#include <QGuiApplication>

#include "core/catalogue.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "platform/icon_loader.h"

namespace hx::items {

WebLinkWindow::WebLinkWindow(core::Session& session, core::Catalogue& catalogue,
                             const QPoint& panel, QWidget* parent)
    : QWidget(parent), session_(session), catalogue_(catalogue) {
    setObjectName(QStringLiteral("webLinkWindow"));
    setWindowTitle(tr("添加超链接"));
    setFixedSize(377, 125);
    core::withoutMaximiseButton(*this);

    c_.nameLabel = new QLabel(tr("标题："), this);
    c_.nameLabel->setObjectName(QStringLiteral("nameLabel"));
    c_.nameLabel->setGeometry(8, 11, 32, 16);
    c_.name = new QLineEdit(this);
    c_.name->setObjectName(QStringLiteral("nameBox"));
    c_.name->setGeometry(40, 8, 256, 24);
    c_.addressLabel = new QLabel(tr("地址："), this);
    c_.addressLabel->setObjectName(QStringLiteral("addressLabel"));
    c_.addressLabel->setGeometry(8, 51, 32, 16);
    c_.address = new QLineEdit(this);
    c_.address->setObjectName(QStringLiteral("addressBox"));
    c_.address->setGeometry(40, 48, 256, 24);
    c_.add = new QPushButton(tr("添加"), this);
    c_.add->setObjectName(QStringLiteral("addButton"));
    c_.add->setGeometry(304, 8, 56, 64);
    connect(c_.add, &QPushButton::clicked, this, &WebLinkWindow::addLink);

    move(panel + QPoint(-120, 85));

    // Only plain "http://" text is taken; anything else on the clipboard is
    // not assumed to be an address.
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.startsWith(QLatin1String("http://"))) c_.address->setText(clip);
}

void WebLinkWindow::addLink() {
    const QString name = c_.name->text();
    const QString address = c_.address->text();
    if (name.isEmpty() || address.isEmpty()) return;
    // Any line break, not only "\r\n": a link is one line of text.
    if (address.contains(u'\n') || address.contains(u'\r')) {
        session_.dialogs().show(tr(kLineBreakRefused), {}, core::MessageIcon::Information);
        return;
    }
    if (catalogue_.openColumn() < 0) {
        // Without a column the entry would be stored where no grid shows it.
        session_.dialogs().show(tr(kNoColumn), {}, core::MessageIcon::Information);
        return;
    }
    storage::ItemRow row;
    row.category = catalogue_.currentCategoryName();
    row.column = catalogue_.openColumnName();
    row.name = name;
    row.link = QStringLiteral("@") + address;
    row.icon = QStringLiteral("@IE");
    const QImage picture = session_.services().icons->load(
        platform::IconSource::webLink(), catalogue_.iconSize());
    // A refusal is said by the catalogue.
    catalogue_.addItems({row}, {picture});
}

}  // namespace hx::items
