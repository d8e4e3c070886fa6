#include "core/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QStyle>

namespace hx::core {
namespace {

// A box sized for a short text ("创建成功！") leaves the window manager too
// little room for the title beside its buttons, and it cuts the title ("信…").
// The box is made as wide as the title, drawn bold as many window managers
// draw it, and room for the window icon and three title-bar buttons.
void makeRoomForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    QFont font = box.font();
    font.setBold(true);
    const int title = QFontMetrics(font).horizontalAdvance(box.windowTitle());
    const int button = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    grid->addItem(new QSpacerItem(title + 5 * button, 0, QSizePolicy::Minimum), grid->rowCount(), 0,
                  1, grid->columnCount());
}

}  // namespace

Answer QtDialogs::present(const Message& m) {
    QMessageBox box;
    box.setWindowTitle(m.title);
    // Texts keep the stored "\r\n" line breaks; the label wants plain "\n".
    box.setText(QString(m.text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    switch (m.icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
    }
    if (m.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(m.defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
        makeRoomForTitle(box);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    makeRoomForTitle(box);
    box.exec();
    return Answer::Ok;
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& initial, int maxLength) {
    QInputDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(initial);
    if (auto* field = dialog.findChild<QLineEdit*>(); field && maxLength > 0)
        field->setMaxLength(maxLength);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

QString QtDialogs::openFile(const QString& title, const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(nullptr, title, directory, filter);
}

QStringList QtDialogs::openFiles(const QString& title, const QString& directory,
                                 const QString& filter) {
    return QFileDialog::getOpenFileNames(nullptr, title, directory, filter);
}

QString QtDialogs::saveFile(const QString& title, const QString& path, const QString& filter) {
    return QFileDialog::getSaveFileName(nullptr, title, path, filter);
}

QString QtDialogs::chooseFolder(const QString& title, const QString& directory) {
    return QFileDialog::getExistingDirectory(nullptr, title, directory);
}

std::optional<QColor> QtDialogs::colour(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial);
    if (!c.isValid()) return std::nullopt;
    return c;
}

}  // namespace hx::core
