#include <QApplication>

#include <gtest/gtest.h>

// The shell's parts are built on Qt's offscreen platform: no display needed.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
