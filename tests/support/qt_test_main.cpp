// main() for tests that need a QApplication. On Linux it sets the offscreen
// platform when no other is chosen, so the tests run without a display; the
// Windows build runs them with the real windows platform (under Wine, on the
// Xvfb display the check starts), where fonts and window messages are real.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
