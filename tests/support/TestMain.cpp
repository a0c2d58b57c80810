#include <gtest/gtest.h>

#include <QCoreApplication>

// Main for logic tests: a QCoreApplication for event loops and signal spies, no display.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
