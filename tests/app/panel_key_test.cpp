#include "app/panel_key.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>

#include "platform/global_key.h"

namespace {

using hx::app::PanelKey;
using Failure = hx::platform::GlobalKey::Failure;

class FakeGlobalKey : public hx::platform::GlobalKey {
  public:
    QList<QKeyCombination> bound;
    int releases = 0;
    void bind(QKeyCombination key) override { bound << key; }
    void release() override { ++releases; }
    void press() { emit pressed(); }
    void fail(Failure why) { emit failed(why); }
};

struct PanelKeyTest : ::testing::Test {
    FakeGlobalKey key;
    QStringList said;
    int toggles = 0;
    PanelKey panelKey{key, [this](const QString& text) { said << text; }, [this] { ++toggles; }};
};

TEST_F(PanelKeyTest, PressesTogglePanel) {
    EXPECT_TRUE(panelKey.bind(QStringLiteral("Ctrl+Alt+Space")));
    ASSERT_EQ(key.bound.size(), 1);
    key.press();
    key.press();
    EXPECT_EQ(toggles, 2);
    EXPECT_TRUE(said.isEmpty());
}

TEST_F(PanelKeyTest, EmptyTextAsksForNoKey) {
    EXPECT_FALSE(panelKey.bind(QString()));
    EXPECT_FALSE(panelKey.bind(QStringLiteral("  ")));
    EXPECT_TRUE(key.bound.isEmpty());
    EXPECT_TRUE(said.isEmpty());
}

TEST_F(PanelKeyTest, ProblemsAreSaidOnce) {
    EXPECT_FALSE(panelKey.bind(QStringLiteral("Ctrl+Alt+Nothing")));
    EXPECT_FALSE(panelKey.bind(QStringLiteral("Ctrl+Alt+Nothing")));
    EXPECT_TRUE(key.bound.isEmpty());
    EXPECT_EQ(said, QStringList{PanelKey::kUnreadable});

    FakeGlobalKey other;
    QStringList otherSaid;
    PanelKey held(
        other, [&](const QString& text) { otherSaid << text; }, [] {});
    held.bind(QStringLiteral("Ctrl+Alt+Space"));
    other.fail(Failure::Held);
    other.fail(Failure::Held);
    EXPECT_EQ(otherSaid, QStringList{PanelKey::kHeld});
    // A session without global keys is not the user's fault: nothing shown.
    FakeGlobalKey none;
    QStringList noneSaid;
    PanelKey unsupported(
        none, [&](const QString& text) { noneSaid << text; }, [] {});
    unsupported.bind(QStringLiteral("Ctrl+Alt+Space"));
    none.fail(Failure::Unsupported);
    EXPECT_TRUE(noneSaid.isEmpty());
}

}  // namespace
