#include <QApplication>

#include <gtest/gtest.h>

// Widgets are built and driven on Qt's offscreen platform: no display is
// needed, and what is checked is behaviour, not pixels.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
