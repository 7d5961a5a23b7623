// Test main for code below the window layer: a QCoreApplication, so that Qt's event
// loop, timers and QProcess work inside tests.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
