#pragma once

#include <QFuture>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <atomic>
#include <memory>

#include "items/image_list.h"

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::platform {
class IconLoader;
}

namespace hx::items {

// The pictures the icon picker lists for a file, by index: icon groups of a
// program or library, images of an .ico file, a launcher's Icon=, or the one
// picture of an image file (index 0). Null when the file has no such icon.
// Safe on any thread.
QImage programIconAt(platform::IconLoader& loader, const QString& path, int index, int size);

// "选择图标": lists the system icon library or the icons of a file; a click
// on an icon hands its icon text ("$N" or "path[N]") out through picked() and
// closes the window. Pictures are extracted on a worker thread and appear one
// by one, so the window keeps painting.
class IconPicker : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kLastSystemIndex = 300;
    static constexpr int kLastProgramIndex = 100;
    static inline const QString kShell = QStringLiteral("shell");

    enum class Source { System, Program, Browsed };

    struct Controls {
        QLabel* sourceLabel = nullptr;
        QLineEdit* source = nullptr;
        QPushButton* browse = nullptr;
        QTabWidget* tabs = nullptr;
        QListWidget* icons = nullptr;
    };

    // `editorTitle` ends up in the window title; `programSource` is the file
    // whose icons the program page lists (the selected entry's icon source).
    // `panel`: the main window's top-left corner, which the window is placed by.
    IconPicker(core::Session& session, const QPoint& panel, QString editorTitle,
               QString programSource, QWidget* parent = nullptr);
    ~IconPicker() override;

    const Controls& controls() const { return c_; }
    // The pictures listed so far, in list order; what the cache files hold.
    const ImageList& workingList() const { return working_; }
    bool isLoading() const { return loading_; }

    // Starts a load; the previous one is abandoned. Emits loadFinished(). A
    // load of a page (system or program) rewrites that page's cache file.
    void load(Source source);
    // The icon text for the entry at `row`; empty for no entry.
    QString iconTextFor(int row) const;
    // A click on an entry: hands its icon text out and closes.
    void activate(int row);
    void browse();

  signals:
    void picked(const QString& iconText);
    void loadFinished();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void addEntry(quint64 generation, int index, const QImage& image, const QImage& sharp,
                  qreal ratio);
    void finishLoad(quint64 generation);
    void load(Source source, bool writeCache);
    void stopWorker();

    core::Session& session_;
    QString editorTitle_;
    QString programSource_;
    Controls c_;
    ImageList working_{32};
    platform::IconLoader* loader_ = nullptr;
    std::shared_ptr<std::atomic<quint64>> generation_;
    QList<QFuture<void>> workers_;
    Source current_ = Source::Program;
    QString sourceText_;
    bool loading_ = false;
    bool activated_ = false;
    bool firstLoad_ = true;
};

}  // namespace hx::items
