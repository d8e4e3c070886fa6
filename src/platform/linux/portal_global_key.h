#pragma once

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

    explicit PortalGlobalKey(QObject* parent = nullptr);
    ~PortalGlobalKey() override;

    void bind(QKeyCombination key) override;
    void release() override;

  private slots:
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

  private:
    // Calls `method` of the portal; `then` gets the Response's code and results.
    void request(const QString& method, QList<QVariant> arguments, const QString& token,
                 std::function<void(uint, const QVariantMap&)> then);
    void bindShortcut();
    void fail(Failure why);

    QString trigger_;
    QString session_;
    int generation_ = 0;  // a later bind makes the answers of an earlier one stale
    int nextToken_ = 0;
};

}  // namespace hx::platform
