#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>

namespace hx::appearance {

// The avatar as the panel shows it, read on a worker: from its scaled copy
// beside the file when that copy is current, else decoded from the file,
// which then gets the copy. A huge picture costs its decode once, never on the
// interface thread; a damaged one gives an empty picture. The newest request
// wins: a picture asked for earlier is never shown after a later one.
class AvatarLoader : public QObject {
    Q_OBJECT
  public:
    explicit AvatarLoader(QObject* parent = nullptr);
    ~AvatarLoader() override;

    // `path` empty: an empty picture, reported at once.
    void request(const QString& path);
    // Blocks until the worker is idle and its picture has been reported (tests).
    void finish();

    // Where the scaled copy of the avatar in `path` is kept.
    static QString scaledCopyPath(const QString& path);
    // Removes the avatar in `path` and its scaled copy.
    static void removeWithScaledCopy(const QString& path);
    // Removes the scaled copies in `userDir` of every picture but `avatar`
    // (a file name): those of replaced avatars are no use any more.
    static void removeOtherScaledCopies(const QString& userDir, const QString& avatar);
    // The picture for `path` by the rule above; safe on any thread.
    static QImage readScaled(const QString& path);

  signals:
    void ready(const QImage& image);

  private:
    std::atomic<quint64> generation_{0};
    QThreadPool pool_;
};

}  // namespace hx::appearance
