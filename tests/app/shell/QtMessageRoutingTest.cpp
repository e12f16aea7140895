#include "app/shell/QtMessageRouting.h"

#include <QList>
#include <QLoggingCategory>
#include <QString>

#include <gtest/gtest.h>

#include <functional>

namespace {

Q_LOGGING_CATEGORY(qtLikeCategory, "qt.qpa.example")
Q_LOGGING_CATEGORY(ownCategory, "tovra.settings")

struct Printed {
    QString category;
    QString message;
};
QList<Printed> printed;

// Stands for Qt's own printer, which the routing hands every message to.
void recordPrinted(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    printed.append({ QString::fromLatin1(context.category), message });
}

} // namespace

// Qt's messages are printed under tovra.qt, on one line, with Qt's own
// category kept in the text; the app's pass as they are.
TEST(QtMessageRouting, QtsOwnMessagesArePrintedUnderTheAppsCategories)
{
    const QtMessageHandler qtsPrinter = qInstallMessageHandler(recordPrinted);
    tovra::routeQtMessages();
    const struct {
        const char *name;
        std::function<void()> say;
        Printed expected;
    } cases[] = {
        { "uncategorised", [] { qWarning("QStandardPaths: XDG_RUNTIME_DIR not set"); },
            { QStringLiteral("tovra.qt"), QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set") } },
        { "a Qt category, over two lines", [] { qCWarning(qtLikeCategory, "first\nsecond"); },
            { QStringLiteral("tovra.qt"), QStringLiteral("qt.qpa.example: first second") } },
        { "the app's own", [] { qCWarning(ownCategory, "kept as it is"); },
            { QStringLiteral("tovra.settings"), QStringLiteral("kept as it is") } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        printed.clear();
        c.say();
        ASSERT_EQ(printed.size(), 1);
        EXPECT_EQ(printed.first().category, c.expected.category);
        EXPECT_EQ(printed.first().message, c.expected.message);
    }
    qInstallMessageHandler(qtsPrinter);
}
