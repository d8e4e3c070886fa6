#include "extras/update_check.h"

#include <QCoreApplication>

#include "core/dialogs.h"
#include "platform/network.h"
#include "platform/shell.h"
#include "text/gbk.h"
#include "text/markers.h"

namespace hx::extras {

namespace {

QString shown(QString text) {
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return text.left(kShownFieldLength);
}

}  // namespace

UpdateReply parseUpdateReply(const QByteArray& body) {
    const qsizetype zero = body.indexOf('\0');
    const QByteArray text = zero < 0 ? body : body.left(zero);
    auto cut = [&text](const char* open, const char* close) {
        return text::fromGbk(text::cutBetween(text, open, close));
    };
    return {shown(cut("(", ")")), cut("[", "]"), shown(cut("{", "}"))};
}

bool isSafeDownloadAddress(const QString& address) {
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

QUrl updateUrl(const QString& configured) {
    const QString fromEnvironment = qEnvironmentVariable("HENGXIU_UPDATE_URL").trimmed();
    const QString address = fromEnvironment.isEmpty() ? configured.trimmed() : fromEnvironment;
    return address.isEmpty() ? QUrl() : QUrl(address);
}

UpdateCheck::UpdateCheck(platform::Network& network, platform::Shell& shell, core::Dialogs& dialogs,
                         QUrl endpoint)
    : network_(network), shell_(shell), dialogs_(dialogs), endpoint_(std::move(endpoint)) {}

void UpdateCheck::run() {
    if (endpoint_.isEmpty()) return;  // no host of ours to ask
    network_.testConnectivity([this](bool online) {
        if (!online) return;
        network_.get(endpoint_, [this](bool ok, QByteArray body) { handleReply(ok, body); });
    });
}

void UpdateCheck::handleReply(bool ok, const QByteArray& body) {
    if (!ok) return;
    const UpdateReply reply = parseUpdateReply(body);
    if (reply.version.isEmpty() || reply.version == kOwnVersion) return;
    const QString text =
        QCoreApplication::translate("UpdateCheck", "检测到新版本%1是否更新？\r\nMD5：%2")
            .arg(reply.version, reply.digest);
    if (dialogs_.show(text, QCoreApplication::translate("UpdateCheck", "更新"),
                      core::MessageIcon::None,
                      core::MessageButtons::YesNo) == core::Answer::Yes &&
        isSafeDownloadAddress(reply.address))
        shell_.open(reply.address);
}

}  // namespace hx::extras
