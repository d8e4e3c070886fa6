#pragma once

#include <QColor>
#include <QQueue>
#include <QString>
#include <QVector>
#include <optional>

#include "core/dialogs.h"

namespace hx::test {

// Records every box (with its default button) and answers from a script; an
// unscripted question is answered No, an unscripted input box is cancelled.
class FakeDialogs final : public core::Dialogs {
  public:
    QVector<core::Message> shown;
    QQueue<core::Answer> answers;
    QQueue<std::optional<QString>> inputs;
    QQueue<QString> files;
    QQueue<QStringList> fileLists;  // answers of openFiles
    QVector<QString> fileFilters;   // filter of every file dialog
    QVector<QString> fileFolders;   // folder every file dialog opens in
    QQueue<std::optional<QColor>> colours;
    QQueue<QString> savePaths;  // answers of saveFile
    QQueue<QString> folders;    // answers of chooseFolder
    QVector<QString> inputPrompts;
    QVector<QString> inputTitles;
    QVector<QString> inputInitials;
    QVector<int> inputMaxLengths;

    // A scripted answer is given whole, whatever the limit: what the field
    // would have cut is what the callers' own checks meet.
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& initial, int maxLength) override {
        inputPrompts.push_back(prompt);
        inputTitles.push_back(title);
        inputInitials.push_back(initial);
        inputMaxLengths.push_back(maxLength);
        return inputs.isEmpty() ? std::nullopt : inputs.dequeue();
    }
    QString openFile(const QString&, const QString& folder, const QString& filter) override {
        fileFilters.push_back(filter);
        fileFolders.push_back(folder);
        return files.isEmpty() ? QString() : files.dequeue();
    }
    QStringList openFiles(const QString&, const QString& folder, const QString& filter) override {
        fileFilters.push_back(filter);
        fileFolders.push_back(folder);
        return fileLists.isEmpty() ? QStringList() : fileLists.dequeue();
    }
    QString saveFile(const QString&, const QString& path, const QString& filter) override {
        fileFilters.push_back(filter);
        fileFolders.push_back(path);
        return savePaths.isEmpty() ? QString() : savePaths.dequeue();
    }
    QString chooseFolder(const QString&, const QString& directory) override {
        fileFolders.push_back(directory);
        return folders.isEmpty() ? QString() : folders.dequeue();
    }
    std::optional<QColor> colour(const QColor&) override {
        return colours.isEmpty() ? std::nullopt : colours.dequeue();
    }

  protected:
    core::Answer present(const core::Message& m) override {
        shown.push_back(m);
        if (m.buttons == core::MessageButtons::Ok) return core::Answer::Ok;
        return answers.isEmpty() ? core::Answer::No : answers.dequeue();
    }
};

}  // namespace hx::test
