#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraLedgerError.h"

#include "LedgerTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::at;

namespace {

class TovraLedgerDenylistTest : public tovra::testing::LedgerFixture {
protected:
    void SetUp() override { ledger = openLedger(); }

    QList<DenylistEntry> customEntries()
    {
        QList<DenylistEntry> entries;
        for (const DenylistRule &rule : ledger->listDenylistEntries()) {
            if (!rule.isDefault)
                entries.append(rule.entry);
        }
        return entries;
    }

    std::unique_ptr<TovraLedger> ledger;
};

} // namespace

TEST_F(TovraLedgerDenylistTest, AddedRulesAreNormalisedStoredOnceAndSharedThroughTheFile)
{
    const DenylistEntry domain = ledger->addDenylistEntry(
        DenylistKind::domain, QStringLiteral("https://News.Example.com:8443/x"), at(1));
    EXPECT_EQ(domain, (DenylistEntry { DenylistKind::domain, QStringLiteral("news.example.com"), at(1) }));
    const DenylistEntry bundle
        = ledger->addDenylistEntry(DenylistKind::bundleID, QStringLiteral("  com.Example.Notes "), at(2));
    EXPECT_EQ(bundle.value, QStringLiteral("com.Example.Notes"));

    // The same rule again, in another spelling, is the rule already stored.
    EXPECT_EQ(
        ledger->addDenylistEntry(DenylistKind::domain, QStringLiteral("*.NEWS.example.com"), at(3)), domain);
    EXPECT_EQ(
        ledger->addDenylistEntry(DenylistKind::bundleID, QStringLiteral("com.example.notes"), at(4)), bundle);

    EXPECT_EQ(customEntries(), (QList<DenylistEntry> { domain, bundle }));
    auto other = openLedger();
    const QList<DenylistRule> fromOtherInstance = other->listDenylistEntries();
    ASSERT_EQ(fromOtherInstance.size(), DenylistRules::defaults().size() + 2);
    EXPECT_EQ(fromOtherInstance.last(), (DenylistRule { bundle, false }));
    EXPECT_EQ(other->customDenylist().domains, QSet<QString> { QStringLiteral("news.example.com") });
    EXPECT_TRUE(other->customDenylist().bundleIDs.contains(QStringLiteral("com.Example.Notes")));
}

TEST_F(TovraLedgerDenylistTest, DefaultsAreListedFirstAndCannotBeRemoved)
{
    QList<DenylistRule> defaults;
    for (const DenylistEntry &entry : DenylistRules::defaults())
        defaults.append({ entry, true });
    EXPECT_EQ(ledger->listDenylistEntries(), defaults);

    try {
        ledger->removeDenylistEntry(DenylistKind::bundleID, QStringLiteral("ORG.KEEPASSXC.KEEPASSXC"), at(1));
        FAIL() << "a built-in protection was removed";
    } catch (const TovraLedgerError &error) {
        EXPECT_EQ(error.kind(), TovraLedgerError::Kind::defaultDenylistEntry);
    }
    // Adding a built-in value returns the built-in rule and stores nothing.
    const DenylistEntry entry
        = ledger->addDenylistEntry(DenylistKind::bundleID, QStringLiteral("kitty"), at(2));
    EXPECT_FALSE(entry.createdAt.isValid());
    EXPECT_TRUE(customEntries().isEmpty());
    EXPECT_FALSE(QFile::exists(ledgerPath()));
    EXPECT_TRUE(ledger->customDenylist().bundleIDs.contains(QStringLiteral("kitty")));
}

TEST_F(TovraLedgerDenylistTest, InvalidValuesAreRejectedWithoutAnyChange)
{
    for (const auto &[kind, value] : { std::pair { DenylistKind::domain, QStringLiteral("not a domain") },
             std::pair { DenylistKind::bundleID, QStringLiteral("has space") } }) {
        try {
            ledger->addDenylistEntry(kind, value, at(1));
            ADD_FAILURE() << "accepted " << value.toStdString();
        } catch (const TovraLedgerError &error) {
            EXPECT_EQ(error.kind(), TovraLedgerError::Kind::invalidDenylistValue);
            EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("denylist")));
        }
    }
    EXPECT_FALSE(QFile::exists(ledgerPath()));
}

TEST_F(TovraLedgerDenylistTest, RemovalTakesTheRuleInAnySpellingAndLeavesOthers)
{
    ledger->addDenylistEntry(DenylistKind::domain, QStringLiteral("example.com"), at(1));
    const DenylistEntry bundle
        = ledger->addDenylistEntry(DenylistKind::bundleID, QStringLiteral("example.com"), at(2));
    ledger->removeDenylistEntry(DenylistKind::domain, QStringLiteral("HTTPS://EXAMPLE.COM/"), at(3));
    EXPECT_EQ(customEntries(), QList<DenylistEntry> { bundle });
    ledger->removeDenylistEntry(DenylistKind::domain, QStringLiteral("absent.example"), at(4));
    ledger->removeDenylistEntry(DenylistKind::domain, QStringLiteral("not a domain"), at(4));
    EXPECT_EQ(customEntries(), QList<DenylistEntry> { bundle });
}
