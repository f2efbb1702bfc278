#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// The widget tests run on the offscreen platform: CTest sets it, and so does
// this main when the test is run by hand, so no display is ever needed.
int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
