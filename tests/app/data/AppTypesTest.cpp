#include "app/data/AppFeedbackScope.h"
#include "app/data/AppRecoveryAction.h"
#include "app/data/DenylistEntry.h"
#include "app/data/ObservationModeStatus.h"
#include "app/data/TraceConfidence.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

TEST(AppEnumerationsTest, NamesRoundTripAndAreMatchedExactly)
{
    for (const AppFeedbackScope scope : allCases<AppFeedbackScope>())
        EXPECT_EQ(enumFromName<AppFeedbackScope>(enumName(scope)), scope);
    EXPECT_EQ(enumName(AppFeedbackScope::export_), QStringLiteral("export"));
    EXPECT_EQ(enumName(ObservationModeStatus::permissionRequired), QStringLiteral("permissionRequired"));
    EXPECT_EQ(enumFromName<TraceConfidence>(u"observed"), TraceConfidence::observed);
    EXPECT_EQ(enumFromName<TraceConfidence>(u"Observed"), std::nullopt);
}

TEST(AppRecoveryActionTest, EveryCaseTitlesItsRetryButton)
{
    const QUuid id = QUuid::createUuid();
    const std::vector<std::pair<AppRecoveryAction, QString>> titles {
        { AppRecoveryAction::retryHistoricalPaste(id), QStringLiteral("再次尝试") },
        { AppRecoveryAction::retrySetClipboard(id), QStringLiteral("重新设置") },
        { AppRecoveryAction::retryDeleteRecord(id), QStringLiteral("重新删除") },
        { AppRecoveryAction::retryAddDenylist(DenylistEntryKind::domain, QStringLiteral("a.org")),
            QStringLiteral("重新添加") },
        { AppRecoveryAction::retryRemoveDenylist(DenylistEntry {}), QStringLiteral("重新移除") },
        { AppRecoveryAction::retryPendingSourceCleanup({ id }), QStringLiteral("重试清理") },
        { AppRecoveryAction::retryExport(ExportFormat::csv), QStringLiteral("重新导出") },
        { AppRecoveryAction::reloadData(), QStringLiteral("重新加载") },
        { AppRecoveryAction::retryHotKey(), QStringLiteral("重新注册") },
        { AppRecoveryAction::refreshPermissions(), QStringLiteral("重新检测") },
        { AppRecoveryAction::retryObservation(), QStringLiteral("重启观察") },
        { AppRecoveryAction::retryTracePaste(), QStringLiteral("再次尝试") },
        { AppRecoveryAction::retryClearRecords(), QStringLiteral("重新清空") },
    };
    ASSERT_EQ(titles.size(), enumCaseCount<AppRecoveryAction::Kind>());
    for (std::size_t index = 0; index < titles.size(); ++index) {
        const auto &[action, title] = titles.at(index);
        EXPECT_EQ(action.kind(), static_cast<AppRecoveryAction::Kind>(index));
        EXPECT_EQ(action.title(), title) << enumName(action.kind()).toStdString();
    }
}

TEST(AppRecoveryActionTest, EachCaseCarriesOnlyItsOwnArguments)
{
    const QUuid item = QUuid::createUuid();
    const DenylistEntry entry { DenylistEntryKind::bundleID, QStringLiteral("org.Example"), false };

    const AppRecoveryAction paste = AppRecoveryAction::retryHistoricalPaste(item);
    EXPECT_EQ(paste.identifier(), item);
    EXPECT_EQ(paste.denylistEntry(), std::nullopt);

    const AppRecoveryAction add
        = AppRecoveryAction::retryAddDenylist(DenylistEntryKind::domain, QStringLiteral("x.org"));
    EXPECT_EQ(add.denylistAddition(), std::pair(DenylistEntryKind::domain, QStringLiteral("x.org")));
    EXPECT_EQ(add.identifier(), std::nullopt);

    EXPECT_EQ(AppRecoveryAction::retryRemoveDenylist(entry).denylistEntry(), entry);
    EXPECT_EQ(
        AppRecoveryAction::retryPendingSourceCleanup({ item }).pendingSourceIDs(), QSet<QUuid> { item });
    EXPECT_EQ(AppRecoveryAction::retryExport(ExportFormat::json).exportFormat(), ExportFormat::json);

    // Same case, same arguments: equal; the same identifier under another case is not.
    EXPECT_EQ(AppRecoveryAction::retryDeleteRecord(item), AppRecoveryAction::retryDeleteRecord(item));
    EXPECT_NE(AppRecoveryAction::retryDeleteRecord(item), AppRecoveryAction::retrySetClipboard(item));
    EXPECT_NE(AppRecoveryAction::retryDeleteRecord(item),
        AppRecoveryAction::retryDeleteRecord(QUuid::createUuid()));
}

TEST(DenylistEntryTest, TheIdentifierIsTheRawKindAndThePatternInLowerCase)
{
    const DenylistEntry application { DenylistEntryKind::bundleID, QStringLiteral("com.AgileBits.1Password7"),
        true };
    EXPECT_EQ(application.id(), QStringLiteral("bundleID:com.agilebits.1password7"));
    const DenylistEntry domain { DenylistEntryKind::domain, QStringLiteral("Bank.Example.COM"), false };
    EXPECT_EQ(domain.id(), QStringLiteral("domain:bank.example.com"));
    EXPECT_NE(domain.id(),
        (DenylistEntry { DenylistEntryKind::bundleID, QStringLiteral("bank.example.com"), false }).id());
}

} // namespace
} // namespace tovra::app::testing
