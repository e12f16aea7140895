#include "app/data/AppFeedbackState.h"
#include "app/data/ClipboardShelfTarget.h"
#include "app/data/MainPanelSection.h"
#include "app/data/NativeHostStatus.h"
#include "app/data/ObservationModeStatus.h"
#include "app/data/ObsidianResolverStatus.h"
#include "app/data/PasteCommit.h"
#include "app/data/RecordDateFilter.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

template <typename Enum> QStringList caseNames()
{
    QStringList names;
    for (const Enum value : allCases<Enum>())
        names.append(enumName(value));
    return names;
}

QStringList list(std::initializer_list<const char *> names)
{
    QStringList result;
    for (const char *name : names)
        result.append(QString::fromLatin1(name));
    return result;
}

TEST(AppEnumerationsTest, CasesComeInTheirDeclaredOrderUnderTheirOwnNames)
{
    EXPECT_EQ(caseNames<AppFeedbackScope>(),
        list({ "general", "data", "shortcut", "pause", "permissions", "observation", "clipboard", "paste",
            "records", "denylist", "export" }));
    EXPECT_EQ(enumName(AppFeedbackScope::export_), QStringLiteral("export"));
    EXPECT_EQ(caseNames<DenylistEntryKind>(), list({ "domain", "bundleID" }));
    EXPECT_EQ(caseNames<ExportFormat>(), list({ "markdown", "csv", "json" }));
    EXPECT_EQ(caseNames<MainPanelSection>(), list({ "clipboard", "traces" }));
    EXPECT_EQ(caseNames<NativeHostStatus>(), list({ "connected", "disconnected", "unknown" }));
    EXPECT_EQ(caseNames<ObservationModeStatus>(),
        list({ "dedicated", "observing", "permissionRequired", "unavailable" }));
    EXPECT_EQ(caseNames<ObsidianResolverStatus>(),
        list({ "inactive", "starting", "listening", "connected", "failed" }));
    EXPECT_EQ(caseNames<PasteExclusionReason>(),
        list({ "paused", "deniedDomain", "deniedApplication", "sensitiveField", "emptyContent",
            "contentTooLarge", "invalidDestination", "nativeHostUnavailable" }));
    EXPECT_EQ(caseNames<RecordDateFilter>(), list({ "all", "today", "sevenDays", "thirtyDays" }));
    EXPECT_EQ(caseNames<TraceConfidence>(), list({ "verified", "observed", "inferred" }));
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
    EXPECT_EQ(paste.exportFormat(), std::nullopt);

    const AppRecoveryAction add
        = AppRecoveryAction::retryAddDenylist(DenylistEntryKind::domain, QStringLiteral("x.org"));
    EXPECT_EQ(add.denylistAddition(), std::pair(DenylistEntryKind::domain, QStringLiteral("x.org")));
    EXPECT_EQ(add.identifier(), std::nullopt);

    EXPECT_EQ(AppRecoveryAction::retryRemoveDenylist(entry).denylistEntry(), entry);
    EXPECT_EQ(
        AppRecoveryAction::retryPendingSourceCleanup({ item }).pendingSourceIDs(), QSet<QUuid> { item });
    EXPECT_EQ(AppRecoveryAction::retryExport(ExportFormat::json).exportFormat(), ExportFormat::json);
    EXPECT_EQ(AppRecoveryAction::reloadData().identifier(), std::nullopt);

    // Same case, same arguments: equal; the same identifier under another case is not.
    EXPECT_EQ(AppRecoveryAction::retryDeleteRecord(item), AppRecoveryAction::retryDeleteRecord(item));
    EXPECT_NE(AppRecoveryAction::retryDeleteRecord(item), AppRecoveryAction::retrySetClipboard(item));
    EXPECT_NE(AppRecoveryAction::retryDeleteRecord(item),
        AppRecoveryAction::retryDeleteRecord(QUuid::createUuid()));
}

TEST(AppFeedbackTest, AFailureAlwaysCarriesItsRecovery)
{
    AppFeedbackState feedback;
    EXPECT_FALSE(feedback.notice || feedback.failure);
    feedback.failure
        = AppFailure { QUuid::createUuid(), QStringLiteral("导出失败"), QStringLiteral("磁盘已满"),
              AppFeedbackScope::export_, AppRecoveryAction::retryExport(ExportFormat::markdown) };
    EXPECT_EQ(feedback.failure->recovery.title(), QStringLiteral("重新导出"));
    EXPECT_EQ(feedback.failure->recovery.exportFormat(), ExportFormat::markdown);
}

TEST(DenylistEntryTest, TheIdentifierIsTheRawKindAndThePatternInLowerCase)
{
    const DenylistEntry application { DenylistEntryKind::bundleID, QStringLiteral("com.AgileBits.1Password7"),
        true };
    EXPECT_EQ(application.id(), QStringLiteral("bundleID:com.agilebits.1password7"));
    const DenylistEntry domain { DenylistEntryKind::domain, QStringLiteral("Bank.Example.COM"), false };
    EXPECT_EQ(domain.id(), QStringLiteral("domain:bank.example.com"));
    EXPECT_EQ(domain.id(),
        (DenylistEntry { DenylistEntryKind::domain, QStringLiteral("bank.example.com"), true }).id());
    EXPECT_NE(domain.id(),
        (DenylistEntry { DenylistEntryKind::bundleID, QStringLiteral("bank.example.com"), false }).id());
}

TEST(ClipboardShelfTargetTest, AvailabilityCarriesTheReasonOnlyWhenUnavailable)
{
    ClipboardShelfTarget target { QStringLiteral("Text Editor"), QStringLiteral("org.gnome.TextEditor"),
        ClipboardShelfTarget::Availability::available() };
    EXPECT_TRUE(target.availability.isAvailable());
    EXPECT_EQ(target.availability.unavailableReason(), std::nullopt);

    target.availability
        = ClipboardShelfTarget::Availability::unavailable(QStringLiteral("目标 App 位于排除列表"));
    EXPECT_FALSE(target.availability.isAvailable());
    EXPECT_EQ(target.availability.unavailableReason(), QStringLiteral("目标 App 位于排除列表"));
    EXPECT_NE(
        target.availability, ClipboardShelfTarget::Availability::unavailable(QStringLiteral("其他原因")));
}

TEST(PastePreparationOutcomeTest, EachOutcomeAnswersOnlyForItsOwnCase)
{
    ProvenanceRecord record;
    record.id = QUuid::createUuid();
    const PasteCommit recorded { PastePreparationOutcome::recorded(record) };
    EXPECT_EQ(recorded.outcome.kind(), PastePreparationOutcome::Kind::recorded);
    ASSERT_NE(recorded.outcome.record(), nullptr);
    EXPECT_EQ(recorded.outcome.record()->id, record.id);
    EXPECT_EQ(recorded.outcome.exclusionReason(), std::nullopt);

    const auto excluded = PastePreparationOutcome::excluded(PasteExclusionReason::nativeHostUnavailable);
    EXPECT_EQ(excluded.kind(), PastePreparationOutcome::Kind::excluded);
    EXPECT_EQ(excluded.exclusionReason(), PasteExclusionReason::nativeHostUnavailable);
    EXPECT_EQ(excluded.record(), nullptr);

    EXPECT_EQ(PasteCommit {}.outcome.kind(), PastePreparationOutcome::Kind::sourceUnmatched);
    EXPECT_NE(recorded.outcome, PastePreparationOutcome::sourceUnmatched());
}

} // namespace
} // namespace tovra::app::testing
