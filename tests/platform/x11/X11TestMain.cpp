#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

// The backend runs on the GUI thread's event loop, as in the app. Listing the
// tests (at build time, maybe without a display) needs no application.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QGuiApplication> application;
    if (!::testing::GTEST_FLAG(list_tests))
        application = std::make_unique<QGuiApplication>(argc, argv);
    return RUN_ALL_TESTS();
}
