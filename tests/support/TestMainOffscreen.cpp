#include <gtest/gtest.h>

#include <QApplication>

// Main for views that are painted and driven without a display: Qt's offscreen platform, set
// before the application starts so that listing the tests needs no display either.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
