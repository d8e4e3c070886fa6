#include "core/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace hx::core {

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
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
}

QString QtDialogs::openFile(const QString& title, const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(nullptr, title, directory, filter);
}

QStringList QtDialogs::openFiles(const QString& title, const QString& directory,
                                 const QString& filter) {
    return QFileDialog::getOpenFileNames(nullptr, title, directory, filter);
}

std::optional<QColor> QtDialogs::colour(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial);
    if (!c.isValid()) return std::nullopt;
    return c;
}

}  // namespace hx::core
