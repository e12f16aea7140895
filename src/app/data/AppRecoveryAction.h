#pragma once

#include "app/data/DenylistEntry.h"
#include "app/data/DenylistEntryKind.h"
#include "app/data/ExportFormat.h"

#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>
#include <utility>
#include <variant>

namespace tovra::app {

// What the retry button of a failure banner does: the failed operation again,
// with the same arguments.
class AppRecoveryAction {
public:
    enum class Kind {
        retryHistoricalPaste,
        retrySetClipboard,
        retryDeleteRecord,
        retryAddDenylist,
        retryRemoveDenylist,
        retryPendingSourceCleanup,
        retryExport,
        reloadData,
        retryHotKey,
        refreshPermissions,
        retryObservation,
        retryTracePaste,
        retryClearRecords,
    };

    static AppRecoveryAction retryHistoricalPaste(const QUuid &itemID);
    static AppRecoveryAction retrySetClipboard(const QUuid &itemID);
    static AppRecoveryAction retryDeleteRecord(const QUuid &recordID);
    static AppRecoveryAction retryAddDenylist(DenylistEntryKind kind, const QString &pattern);
    static AppRecoveryAction retryRemoveDenylist(const DenylistEntry &entry);
    static AppRecoveryAction retryPendingSourceCleanup(const QSet<QUuid> &sourceIDs);
    static AppRecoveryAction retryExport(ExportFormat format);
    static AppRecoveryAction reloadData();
    static AppRecoveryAction retryHotKey();
    static AppRecoveryAction refreshPermissions();
    static AppRecoveryAction retryObservation();
    static AppRecoveryAction retryTracePaste();
    static AppRecoveryAction retryClearRecords();

    Kind kind() const noexcept { return m_kind; }

    // The label of the retry button.
    QString title() const;

    // The history item of retryHistoricalPaste and retrySetClipboard, the
    // record of retryDeleteRecord; none for the other cases.
    std::optional<QUuid> identifier() const;
    // The kind and pattern of retryAddDenylist.
    std::optional<std::pair<DenylistEntryKind, QString>> denylistAddition() const;
    // The entry of retryRemoveDenylist.
    std::optional<DenylistEntry> denylistEntry() const;
    // The pending sources of retryPendingSourceCleanup.
    std::optional<QSet<QUuid>> pendingSourceIDs() const;
    // The format of retryExport.
    std::optional<ExportFormat> exportFormat() const;

    bool operator==(const AppRecoveryAction &) const = default;

private:
    using Payload = std::variant<std::monostate, QUuid, std::pair<DenylistEntryKind, QString>, DenylistEntry,
        QSet<QUuid>, ExportFormat>;

    AppRecoveryAction(Kind kind, Payload payload);

    template <typename Value> std::optional<Value> payload() const
    {
        if (const auto *value = std::get_if<Value>(&m_payload))
            return *value;
        return std::nullopt;
    }

    Kind m_kind;
    Payload m_payload;
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::AppRecoveryAction::Kind> {
    static constexpr std::array<std::string_view, 13> names {
        "retryHistoricalPaste",
        "retrySetClipboard",
        "retryDeleteRecord",
        "retryAddDenylist",
        "retryRemoveDenylist",
        "retryPendingSourceCleanup",
        "retryExport",
        "reloadData",
        "retryHotKey",
        "refreshPermissions",
        "retryObservation",
        "retryTracePaste",
        "retryClearRecords",
    };
};

} // namespace tovra
