#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    // Widgets need a platform even when the test is run by hand.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("HENGXIU_POWER", "dry-run", 1);  // never the real power backend
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // Programs started by tests ask a closed local port for the weather, never the internet.
    setenv("HENGXIU_CITY_URL", "http://127.0.0.1:9/cityjson", 0);
    setenv("HENGXIU_GEOCODING_URL", "http://127.0.0.1:9/v1/search", 0);
    setenv("HENGXIU_FORECAST_URL", "http://127.0.0.1:9/v1/forecast", 0);
#ifdef HX_TEST_EXECUTABLE
    setenv("HENGXIU_EXECUTABLE", HX_TEST_EXECUTABLE, 0);
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
