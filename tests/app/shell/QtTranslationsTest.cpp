#include "app/shell/QtTranslations.h"

#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

namespace tovra::app {
namespace {

// Qt's own dialogs and menus speak the interface's language once the
// translations are in.
TEST(QtTranslationsTest, QtsOwnTextsAreChinese)
{
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    const auto selectAll = [] { return QCoreApplication::translate("QLineEdit", "Select All"); };
    ASSERT_EQ(cancel(), QStringLiteral("Cancel"));

    ASSERT_TRUE(installQtTranslations(*QCoreApplication::instance(),
        QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China)));

    EXPECT_EQ(cancel(), QStringLiteral("取消"));
    EXPECT_NE(selectAll(), QStringLiteral("Select All"));
}

} // namespace
} // namespace tovra::app
