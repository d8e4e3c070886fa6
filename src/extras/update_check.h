#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace hx::core {
class Dialogs;
}
namespace hx::platform {
class Network;
class Shell;
}  // namespace hx::platform

namespace hx::extras {

inline const QString kOwnVersion = QStringLiteral("v3.9");

struct UpdateReply {
    QString version;  // between "(" and ")"
    QString address;  // between "[" and "]"
    QString digest;   // between "{" and "}"
};

// The body up to its first zero byte, as GBK, cut by the three bracket pairs.
// Version and digest are shown to the user: control characters are dropped
// and each is cut to kShownFieldLength characters.
UpdateReply parseUpdateReply(const QByteArray& body);
inline constexpr int kShownFieldLength = 64;

// An address from a reply is opened only when it is an absolute http or https
// URL with a host: the reply is unauthenticated, and a local path, file: URL or
// launcher handed to the desktop would run a program.
bool isSafeDownloadAddress(const QString& address);

// The update endpoint: HENGXIU_UPDATE_URL, else Config.ini [更新] 地址; empty
// (no check at all) when neither names one.
QUrl updateUrl(const QString& configured);

// Once per start, only when an endpoint is configured and the machine is
// online: fetches it and, when the version differs from ours, asks whether to
// open the download address. A failed fetch or a reply without a version asks
// nothing: an empty prompt would only confuse.
class UpdateCheck {
  public:
    UpdateCheck(platform::Network& network, platform::Shell& shell, core::Dialogs& dialogs,
                QUrl endpoint);
    // Connectivity test first; the check itself follows asynchronously.
    void run();
    // The check proper, on a reply already fetched.
    void handleReply(bool ok, const QByteArray& body);

  private:
    platform::Network& network_;
    platform::Shell& shell_;
    core::Dialogs& dialogs_;
    QUrl endpoint_;
};

}  // namespace hx::extras
