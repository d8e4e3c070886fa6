#pragma once

#include "core/dialogs.h"

namespace hx::core {

// The real boxes: no owner window, as every box of the program.
class QtDialogs final : public Dialogs {
  public:
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& initial, int maxLength) override;
    QString openFile(const QString& title, const QString& directory,
                     const QString& filter) override;
    QStringList openFiles(const QString& title, const QString& directory,
                          const QString& filter) override;
    std::optional<QColor> colour(const QColor& initial) override;
    QString saveFile(const QString& title, const QString& path, const QString& filter) override;
    QString chooseFolder(const QString& title, const QString& directory) override;

  protected:
    Answer present(const Message& message) override;
};

}  // namespace hx::core
