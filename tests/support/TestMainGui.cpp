#include <gtest/gtest.h>

#include <QApplication>

// Main for tests that need a GUI application: windows, painting, the X11 connection.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
