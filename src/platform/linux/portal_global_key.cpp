#include "platform/linux/portal_global_key.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <functional>

namespace hx::platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& s) {
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& s) {
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

// Waits for the Response signal of one portal request object.
class PendingResponse : public QObject {
    Q_OBJECT
  public:
    PendingResponse(std::function<void(uint, const QVariantMap&)> then, QObject* parent)
        : QObject(parent), then_(std::move(then)) {}

    void finish(uint code, const QVariantMap& results) {
        if (then_) std::exchange(then_, nullptr)(code, results);
        deleteLater();
    }

  public slots:
    void response(uint code, const QVariantMap& results) { finish(code, results); }

  private:
    std::function<void(uint, const QVariantMap&)> then_;
};

QString requestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

}  // namespace

PortalGlobalKey::PortalGlobalKey(QDBusConnection bus, QObject* parent)
    : GlobalKey(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    bus_.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                 SLOT(onActivated(QDBusMessage)));
}

PortalGlobalKey::~PortalGlobalKey() { release(); }

void PortalGlobalKey::fail(Failure why) { emit failed(why); }

void PortalGlobalKey::request(const QString& method, QList<QVariant> arguments,
                              const QString& token,
                              std::function<void(uint, const QVariantMap&)> then) {
    auto* pending = new PendingResponse(std::move(then), this);
    // Listening before asking: the answer may come before the call returns.
    bus_.connect(kService, requestPath(bus_, token),
                 QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                 pending, SLOT(response(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), pending);
    connect(watcher, &QDBusPendingCallWatcher::finished, pending,
            [pending](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                // No portal or no such interface: the call itself fails.
                if (w->isError()) pending->finish(2, {});
            });
}

void PortalGlobalKey::bind(QKeyCombination key) {
    release();
    trigger_ = portalTriggerFor(key);
    const int generation = ++generation_;
    const QString token = QStringLiteral("hengxiu%1").arg(++nextToken_);
    QVariantMap options{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), token}};
    request(QStringLiteral("CreateSession"), {options}, token,
            [this, generation](uint code, const QVariantMap& results) {
                if (generation != generation_) return;
                // A string in older portals, an object path in newer ones.
                const QVariant handle = results.value(QStringLiteral("session_handle"));
                session_ = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                               ? handle.value<QDBusObjectPath>().path()
                               : handle.toString();
                if (code != 0 || session_.isEmpty()) return fail(Failure::Unsupported);
                bindShortcut();
            });
}

void PortalGlobalKey::bindShortcut() {
    const int generation = generation_;
    const QString token = QStringLiteral("hengxiu%1").arg(++nextToken_);
    QVariantMap properties{{QStringLiteral("description"), tr("显示面板")}};
    if (!trigger_.isEmpty()) properties.insert(QStringLiteral("preferred_trigger"), trigger_);
    const QList<PortalShortcut> shortcuts{{QString::fromLatin1(kShortcutId), properties}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts),
             QString(), QVariantMap{{QStringLiteral("handle_token"), token}}},
            token, [this, generation](uint code, const QVariantMap& results) {
                if (generation != generation_) return;
                // Bound means the desktop kept our shortcut; it may have
                // given it another trigger, which is the user's choice.
                if (code != 0 || !results.contains(QStringLiteral("shortcuts")))
                    fail(Failure::Held);
            });
}

void PortalGlobalKey::release() {
    ++generation_;
    if (session_.isEmpty()) return;
    bus_.asyncCall(QDBusMessage::createMethodCall(kService, session_,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")));
    session_.clear();
}

void PortalGlobalKey::onActivated(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (session_.isEmpty() || args.size() < 2) return;
    if (args.at(0).value<QDBusObjectPath>().path() == session_ &&
        args.at(1).toString() == QLatin1String(kShortcutId))
        emit pressed();
}

}  // namespace hx::platform

#include "portal_global_key.moc"
