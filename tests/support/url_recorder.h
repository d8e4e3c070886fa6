#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace hx::test {

// Catches every address handed to the desktop for the given schemes, so a
// test can prove that nothing was opened.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    explicit UrlRecorder(QStringList schemes = {QStringLiteral("file"), QStringLiteral("http"),
                                                QStringLiteral("https")})
        : schemes_(std::move(schemes)) {
        for (const QString& scheme : schemes_)
            QDesktopServices::setUrlHandler(scheme, this, "record");
    }
    ~UrlRecorder() override {
        for (const QString& scheme : schemes_) QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

  public slots:
    void record(const QUrl& url) { opened << url; }

  private:
    QStringList schemes_;
};

}  // namespace hx::test
