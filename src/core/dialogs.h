#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

namespace hx::core {

enum class MessageIcon { None, Information, Error, Question, Warning };
enum class MessageButtons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct Message {
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // The button Enter presses in a Yes/No box.
    Answer defaultAnswer = Answer::Yes;
};

// Every message box, input box and file or colour dialog of the program goes
// through here, so tests can script the answers and record what was shown.
class Dialogs {
  public:
    static inline const QString kDefaultTitle =
        QStringLiteral(QT_TRANSLATE_NOOP("Dialogs", "信息："));

    virtual ~Dialogs() = default;

    // A box without a title of its own shows kDefaultTitle.
    Answer show(const QString& text, const QString& title = {},
                MessageIcon icon = MessageIcon::None, MessageButtons buttons = MessageButtons::Ok);
    Answer notice(const QString& text, const QString& title = {}) {
        return show(text, title, MessageIcon::Information);
    }
    Answer failure(const QString& text, const QString& title = {}) {
        return show(text, title, MessageIcon::Error);
    }
    bool ask(const QString& text, const QString& title = {},
             MessageIcon icon = MessageIcon::Question) {
        return show(text, title, icon, MessageButtons::YesNo) == Answer::Yes;
    }
    // As ask, for a question whose Yes destroys or removes something: No is
    // the default button, so Enter keeps everything.
    bool askDestructive(const QString& text, const QString& title = {},
                        MessageIcon icon = MessageIcon::Question);

    // Modal input box: nullopt on Cancel. The field takes at most `maxLength`
    // characters (0: no limit).
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& initial, int maxLength) = 0;
    // Open-file dialog: empty when cancelled. `filter` uses Qt's form.
    virtual QString openFile(const QString& title, const QString& directory,
                             const QString& filter) = 0;
    // Open-file dialog with multiple selection: the chosen paths in the
    // dialog's order, empty when cancelled.
    virtual QStringList openFiles(const QString& title, const QString& directory,
                                  const QString& filter) {
        const QString one = openFile(title, directory, filter);
        return one.isEmpty() ? QStringList() : QStringList{one};
    }
    virtual std::optional<QColor> colour(const QColor& initial) = 0;
    // Save-file dialog starting at `path`: empty when cancelled.
    virtual QString saveFile(const QString& title, const QString& path, const QString& filter) = 0;
    // Folder chooser: empty when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& directory) = 0;

  protected:
    virtual Answer present(const Message& message) = 0;
};

}  // namespace hx::core
