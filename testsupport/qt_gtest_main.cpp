// Test entry point of the tests without windows: a QCoreApplication so timer and event code can
// run. Widgets are not linked, so these tests also show that the code under test needs no display.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
