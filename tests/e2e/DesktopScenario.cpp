#include "DesktopScenario.h"
#include "WaitUntil.h"

#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"

#include <QDeadlineTimer>
#include <QThread>

namespace tovra::testing {

void DesktopScenario::startApp()
{
    app.start();
    ASSERT_TRUE(app.isRunning()) << app.standardError().constData();
    ASSERT_TRUE(desktop::waitForVisibleWindow(QStringLiteral("Tovra"))) << app.standardError().constData();
    ASSERT_TRUE(appTree().waitForName(QStringLiteral("主内容切换")));
}

void DesktopScenario::showRecords()
{
    ASSERT_EQ(app.startAgain({ QStringLiteral("tovra://open") }), 0);
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra")));
    // The section's button names its count, which changes as records come.
    ASSERT_TRUE(appTree().pressStartingWith(QStringLiteral("流向记录 ")));
}

bool DesktopScenario::copyWithKeys(ClientWindow &source, const QString &text)
{
    if (!source.focus("plain") || !desktop::waitForActiveWindow(QStringLiteral("Tovra test client"))
        || !source.selectText("plain", text))
        return false;
    desktop::pressKeys(QStringLiteral("ctrl+c"));
    return true;
}

void DesktopScenario::copyThenPasteTraced(ClientWindow &source, ClientWindow &target, const QString &text)
{
    ASSERT_TRUE(copyWithKeys(source, text));
    ASSERT_TRUE(appTree().waitForName(QStringLiteral("复制历史 1")));
    ASSERT_TRUE(tracedPaste(target, text)) << target.fieldText("plain").value_or(QString()).toStdString();
}

bool DesktopScenario::tracedPaste(ClientWindow &target, const QString &text)
{
    if (!target.focus("plain") || !desktop::waitForActiveWindow(QStringLiteral("Tovra test client")))
        return false;
    desktop::pressKeys(QStringLiteral("alt+shift+v"));
    return waitForFieldText(target, text);
}

bool DesktopScenario::waitForFieldText(
    ClientWindow &client, const QString &text, std::chrono::milliseconds timeout)
{
    return waitUntil([&] { return client.fieldText("plain") == text; }, timeout);
}

QList<QUuid> DesktopScenario::recordIds() const
{
    FixedTovraKeyProvider key(
        QByteArray::fromHex(app.environment().value(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX")).toLatin1()));
    QList<QUuid> ids;
    for (const TraceRecord &record : TovraLedger::live(app.ledgerPath(), key)->listRecords())
        ids.append(record.id);
    return ids;
}

} // namespace tovra::testing
