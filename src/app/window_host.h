#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace hx::appearance {
class SettingsWindow;
}

namespace hx::app {

class Runtime;

// Builds the secondary windows over the run's session and catalogue and keeps
// each one single: the first request builds and shows it, later ones raise
// the open window. A closed window (deleted on close) is built again at the
// next request. Windows are placed by the main window's corner.
class WindowHost : public QObject {
    Q_OBJECT
  public:
    // `panel` tells where the main window's top-left corner is now.
    WindowHost(Runtime& runtime, std::function<QPoint()> panel);
    // Windows refer to the session and the catalogue: none may outlive the host.
    ~WindowHost() override;

    void openCategoryWindow();
    void openColumnWindow();
    // Opens the settings window (or raises the open one) on `page`; a negative
    // page keeps the page it shows.
    appearance::SettingsWindow* openSettings(int page);
    // Item windows; the editor and its pickers need a selected entry.
    void openItemEditor();
    void openWebLinkWindow();
    void openSystemPicker();
    void openIconPicker();
    void openInstalledPrograms();

    // The open window of that name ("item editor", ...), or nullptr.
    QWidget* window(const QString& key) const { return windows_.value(key); }
    template <class W>
    W* find(const QString& key) const {
        return qobject_cast<W*>(windows_.value(key).data());
    }
    void closeAll();

  signals:
    // "保存设置" stored a new appearance.
    void settingsSaved();

  private:
    // `make` builds the window hidden.
    template <class W>
    W* open(const QString& key, const std::function<W*()>& make) {
        QWidget* existing = windows_.value(key);
        if (existing) {
            raise(existing);
            return static_cast<W*>(existing);
        }
        W* window = make();
        if (!window) return nullptr;
        window->setAttribute(Qt::WA_DeleteOnClose);
        windows_.insert(key, window);
        window->show();
        raise(window);
        return window;
    }
    static void raise(QWidget* window);

    Runtime& runtime_;
    std::function<QPoint()> panel_;
    QHash<QString, QPointer<QWidget>> windows_;
};

}  // namespace hx::app
