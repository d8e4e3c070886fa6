#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    // Widgets need a platform even when the test is run by hand.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("HENGXIU_POWER", "dry-run", 1);  // never the real power backend
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
#ifdef HX_TEST_EXECUTABLE
    setenv("HENGXIU_EXECUTABLE", HX_TEST_EXECUTABLE, 0);
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
