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
    QString version;   // between "(" and ")"
    QString address;   // between "[" and "]"
    QString digest;    // between "{" and "}"
};

// The body up to its first zero byte, as GBK, cut by the three bracket pairs.
UpdateReply parseUpdateReply(const QByteArray& body);

// The update endpoint: HENGXIU_UPDATE_URL, else our own page.
QUrl updateUrl();

// Once per start, only when online: fetches the endpoint and, when the version
// differs from ours, asks whether to open the download address. A failed
// fetch or a reply without a version asks nothing: an empty prompt would only
// confuse.
class UpdateCheck {
public:
    UpdateCheck(platform::Network& network, platform::Shell& shell, core::Dialogs& dialogs,
                QUrl endpoint = updateUrl());
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
