#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace hx::app {

// Keeps each secondary window single: the first request builds and shows it,
// later ones raise the open window. A closed window (deleted on close) is
// built again at the next request.
class WindowHost {
  public:
    WindowHost() = default;
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;
    // Windows refer to the session and the main window: none may outlive the host.
    ~WindowHost();

    // `key` names the window ("item editor", ...); `make` builds it hidden.
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

    // The open window of that name, or nullptr.
    QWidget* window(const QString& key) const { return windows_.value(key); }
    template <class W>
    W* find(const QString& key) const {
        return qobject_cast<W*>(windows_.value(key).data());
    }
    void closeAll();

  private:
    static void raise(QWidget* window);
    QHash<QString, QPointer<QWidget>> windows_;
};

}  // namespace hx::app
