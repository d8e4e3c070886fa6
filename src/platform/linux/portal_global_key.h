#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariantMap>

#include "platform/global_key.h"

class QDBusMessage;

namespace hx::platform {

// The desktop portal's global shortcuts (org.freedesktop.portal.GlobalShortcuts):
// a session is created, one shortcut bound with the configured key as its
// preferred trigger, and its activations become pressed(). Desktops without
// the interface answer with an error: failed(Unsupported).
class PortalGlobalKey : public GlobalKey {
    Q_OBJECT
  public:
    static constexpr const char* kShortcutId = "show-panel";

    explicit PortalGlobalKey(QObject* parent = nullptr)
        : PortalGlobalKey(QDBusConnection::sessionBus(), parent) {}
    PortalGlobalKey(QDBusConnection bus, QObject* parent);
    ~PortalGlobalKey() override;

    void bind(QKeyCombination key) override;
    void release() override;

    // Public: the bus delivers signals to public slots only. The whole
    // message, since desktops differ in the types of the trailing arguments.
  public slots:
    void onActivated(const QDBusMessage& message);

  private:
    // Calls `method` of the portal; `then` gets the Response's code and results.
    void request(const QString& method, QList<QVariant> arguments, const QString& token,
                 std::function<void(uint, const QVariantMap&)> then);
    void bindShortcut();
    void fail(Failure why);

    QDBusConnection bus_;
    QString trigger_;
    QString session_;
    int generation_ = 0;  // a later bind makes the answers of an earlier one stale
    int nextToken_ = 0;
};

}  // namespace hx::platform
