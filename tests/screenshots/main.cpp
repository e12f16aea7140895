#include "app/shell/QtTranslations.h"
#include "app/views/InterfaceFont.h"
#include "app/views/LocaleText.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <memory>

// The pictures are what the X server draws with the session's fonts, never
// Qt's offscreen platform, on the desktop of a user who reads the
// interface's language (dates follow the user's locale). Listing the tests
// (at build time, maybe without a display) needs no application.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QApplication> application;
    if (!::testing::GTEST_FLAG(list_tests)) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QLocale::setDefault(tovra::app::views::interfaceLocale());
        application = std::make_unique<QApplication>(argc, argv);
        // As the app sets itself up at launch.
        QApplication::setFont(tovra::app::views::interfaceFont(QApplication::font()));
        tovra::app::installQtTranslations(*application, tovra::app::views::interfaceLocale());
    }
    return RUN_ALL_TESTS();
}
