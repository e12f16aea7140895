#include <QCoreApplication>

#include <gtest/gtest.h>

// The change observer's timer and the settings of the relaunch intent need an
// application object; nothing here needs a display.
int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
