#include <QCoreApplication>

#include <gtest/gtest.h>

// The statuses of the resolver server are delivered on the main thread's
// event loop, so the tests run with an application object.
int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
