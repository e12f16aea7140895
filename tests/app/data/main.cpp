#include <QCoreApplication>

#include <gtest/gtest.h>

// The data store hands results back through the event loop of the thread
// that awaits them, so the tests run with an application object.
int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
