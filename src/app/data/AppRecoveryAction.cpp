#include "app/data/AppRecoveryAction.h"

namespace tovra::app {

AppRecoveryAction::AppRecoveryAction(Kind kind, Payload payload)
    : m_kind(kind)
    , m_payload(std::move(payload))
{
}

AppRecoveryAction AppRecoveryAction::retryHistoricalPaste(const QUuid &itemID)
{
    return AppRecoveryAction(Kind::retryHistoricalPaste, itemID);
}

AppRecoveryAction AppRecoveryAction::retrySetClipboard(const QUuid &itemID)
{
    return AppRecoveryAction(Kind::retrySetClipboard, itemID);
}

AppRecoveryAction AppRecoveryAction::retryDeleteRecord(const QUuid &recordID)
{
    return AppRecoveryAction(Kind::retryDeleteRecord, recordID);
}

AppRecoveryAction AppRecoveryAction::retryAddDenylist(DenylistEntryKind kind, const QString &pattern)
{
    return AppRecoveryAction(Kind::retryAddDenylist, std::pair(kind, pattern));
}

AppRecoveryAction AppRecoveryAction::retryRemoveDenylist(const DenylistEntry &entry)
{
    return AppRecoveryAction(Kind::retryRemoveDenylist, entry);
}

AppRecoveryAction AppRecoveryAction::retryPendingSourceCleanup(const QSet<QUuid> &sourceIDs)
{
    return AppRecoveryAction(Kind::retryPendingSourceCleanup, sourceIDs);
}

AppRecoveryAction AppRecoveryAction::retryExport(ExportFormat format)
{
    return AppRecoveryAction(Kind::retryExport, format);
}

AppRecoveryAction AppRecoveryAction::reloadData()
{
    return AppRecoveryAction(Kind::reloadData, std::monostate {});
}

AppRecoveryAction AppRecoveryAction::retryHotKey()
{
    return AppRecoveryAction(Kind::retryHotKey, std::monostate {});
}

AppRecoveryAction AppRecoveryAction::refreshPermissions()
{
    return AppRecoveryAction(Kind::refreshPermissions, std::monostate {});
}

AppRecoveryAction AppRecoveryAction::retryObservation()
{
    return AppRecoveryAction(Kind::retryObservation, std::monostate {});
}

AppRecoveryAction AppRecoveryAction::retryTracePaste()
{
    return AppRecoveryAction(Kind::retryTracePaste, std::monostate {});
}

AppRecoveryAction AppRecoveryAction::retryClearRecords()
{
    return AppRecoveryAction(Kind::retryClearRecords, std::monostate {});
}

QString AppRecoveryAction::title() const
{
    switch (m_kind) {
    case Kind::retryHistoricalPaste:
    case Kind::retryTracePaste:
        return QStringLiteral("再次尝试");
    case Kind::retrySetClipboard:
        return QStringLiteral("重新设置");
    case Kind::retryDeleteRecord:
        return QStringLiteral("重新删除");
    case Kind::retryAddDenylist:
        return QStringLiteral("重新添加");
    case Kind::retryRemoveDenylist:
        return QStringLiteral("重新移除");
    case Kind::retryPendingSourceCleanup:
        return QStringLiteral("重试清理");
    case Kind::retryExport:
        return QStringLiteral("重新导出");
    case Kind::reloadData:
        return QStringLiteral("重新加载");
    case Kind::retryHotKey:
        return QStringLiteral("重新注册");
    case Kind::refreshPermissions:
        return QStringLiteral("重新检测");
    case Kind::retryObservation:
        return QStringLiteral("重启观察");
    case Kind::retryClearRecords:
        return QStringLiteral("重新清空");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<QUuid> AppRecoveryAction::identifier() const
{
    return payload<QUuid>();
}

std::optional<std::pair<DenylistEntryKind, QString>> AppRecoveryAction::denylistAddition() const
{
    return payload<std::pair<DenylistEntryKind, QString>>();
}

std::optional<DenylistEntry> AppRecoveryAction::denylistEntry() const
{
    return payload<DenylistEntry>();
}

std::optional<QSet<QUuid>> AppRecoveryAction::pendingSourceIDs() const
{
    return payload<QSet<QUuid>>();
}

std::optional<ExportFormat> AppRecoveryAction::exportFormat() const
{
    return payload<ExportFormat>();
}

} // namespace tovra::app
