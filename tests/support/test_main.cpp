#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    // Widgets need a platform even when the test is run by hand.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("HENGXIU_POWER", "dry-run", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
