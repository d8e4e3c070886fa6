#include "platform/linux/portal_global_key.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QTest>

#include "support/private_bus.h"

namespace {

using hx::platform::GlobalKey;
using hx::platform::PortalGlobalKey;

const QString kDesktop = QStringLiteral("/org/freedesktop/portal/desktop");

// The desktop portal's global shortcuts, as a desktop that offers them answers.
class FakePortal final : public QDBusVirtualObject {
  public:
    explicit FakePortal(QDBusConnection bus) : bus_(std::move(bus)) {}

    bool refuseBinding = false;
    QString session;
    QString boundId;
    QVariantMap boundProperties;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        QString sender = message.service();
        sender.remove(0, 1).replace(u'.', u'_');
        const QList<QVariant> args = message.arguments();
        if (message.member() == QLatin1String("CreateSession")) {
            const auto options = qdbus_cast<QVariantMap>(args.value(0));
            session = QStringLiteral("%1/session/%2/%3")
                          .arg(kDesktop, sender,
                               options.value(QStringLiteral("session_handle_token")).toString());
            answer(message, sender, options, 0, {{QStringLiteral("session_handle"), session}});
        } else if (message.member() == QLatin1String("BindShortcuts")) {
            const auto shortcuts = args.value(1).value<QDBusArgument>();
            shortcuts.beginArray();
            while (!shortcuts.atEnd()) {
                shortcuts.beginStructure();
                shortcuts >> boundId >> boundProperties;
                shortcuts.endStructure();
            }
            shortcuts.endArray();
            answer(message, sender, qdbus_cast<QVariantMap>(args.value(3)), refuseBinding ? 1 : 0,
                   {{QStringLiteral("shortcuts"), QStringList{boundId}}});
        } else {
            return false;
        }
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    void activate(const QString& id) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kDesktop, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
            QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1)
               << QVariantMap();
        bus_.send(signal);
    }

  private:
    // The call returns its request object; the outcome follows as its Response.
    void answer(const QDBusMessage& call, const QString& sender, const QVariantMap& options,
                uint code, const QVariantMap& results) {
        const QString request =
            QStringLiteral("%1/request/%2/%3")
                .arg(kDesktop, sender, options.value(QStringLiteral("handle_token")).toString());
        bus_.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << code << results;
        bus_.send(response);
    }

    QDBusConnection bus_;
};

class PortalKey : public hx::test::PrivateBus {
  protected:
    void SetUp() override {
        PrivateBus::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        desktop = std::make_unique<QDBusConnection>(connect(QStringLiteral("hx-test-desktop")));
        portal = std::make_unique<FakePortal>(*desktop);
    }
    void offerPortal() {
        ASSERT_TRUE(desktop->registerVirtualObject(kDesktop, portal.get()));
        ASSERT_TRUE(desktop->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }

    std::unique_ptr<QDBusConnection> desktop;
    std::unique_ptr<FakePortal> portal;
};

TEST_F(PortalKey, BoundShortcutPressesOnlyForItsOwnSessionAndId) {
    offerPortal();
    PortalGlobalKey key(connect(QStringLiteral("hx-test-program")), nullptr);
    QSignalSpy pressed(&key, &GlobalKey::pressed);
    QSignalSpy failed(&key, &GlobalKey::failed);
    key.bind(QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Space));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !portal->boundId.isEmpty(); }, 5000));
    EXPECT_EQ(portal->boundId, QLatin1String(PortalGlobalKey::kShortcutId));
    EXPECT_EQ(portal->boundProperties.value(QStringLiteral("preferred_trigger")),
              QStringLiteral("CTRL+ALT+space"));
    EXPECT_FALSE(portal->boundProperties.value(QStringLiteral("description")).toString().isEmpty());

    portal->activate(QStringLiteral("something-else"));
    portal->activate(QLatin1String(PortalGlobalKey::kShortcutId));
    ASSERT_TRUE(pressed.wait(5000));
    QTest::qWait(100);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(failed.count(), 0);

    // Released: the session's activations no longer count.
    key.release();
    portal->activate(QLatin1String(PortalGlobalKey::kShortcutId));
    QTest::qWait(200);
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(PortalKey, RefusedBindingAndMissingPortalAreTold) {
    {
        // No portal on the bus at all.
        PortalGlobalKey key(connect(QStringLiteral("hx-test-program-1")), nullptr);
        QSignalSpy failed(&key, &GlobalKey::failed);
        key.bind(QKeyCombination(Qt::ControlModifier, Qt::Key_F5));
        ASSERT_TRUE(failed.wait(5000));
        EXPECT_EQ(failed.at(0).at(0).value<GlobalKey::Failure>(), GlobalKey::Failure::Unsupported);
    }
    offerPortal();
    portal->refuseBinding = true;
    PortalGlobalKey key(connect(QStringLiteral("hx-test-program-2")), nullptr);
    QSignalSpy failed(&key, &GlobalKey::failed);
    key.bind(QKeyCombination(Qt::ControlModifier, Qt::Key_F5));
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0).at(0).value<GlobalKey::Failure>(), GlobalKey::Failure::Held);
}

}  // namespace
