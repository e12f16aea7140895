#include <QGuiApplication>

#include <gtest/gtest.h>

// The model runs its work in coroutines on the GUI thread and decodes images
// with Qt Gui, so the tests run with a GUI application on the offscreen
// platform: no display is needed.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
