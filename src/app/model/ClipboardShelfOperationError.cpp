#include "app/model/ClipboardShelfOperationError.h"

#include "app/model/PasteExclusionText.h"

namespace tovra::app {

namespace {

QString describe(ClipboardShelfOperationError::Kind kind, std::optional<PasteExclusionReason> reason)
{
    using Kind = ClipboardShelfOperationError::Kind;
    switch (kind) {
    case Kind::targetExcluded:
        return QStringLiteral("目标不可用于回粘：") + pasteExclusionText(*reason) + QStringLiteral("。");
    case Kind::itemUnavailable:
        return QStringLiteral("这条复制历史已过期或被清除。");
    case Kind::sourceUnavailable:
        return QStringLiteral(
            "所选历史的 sourceID、内容指纹或有效期已不匹配；为避免错误归因，本次未发送回粘。");
    case Kind::clipboardWriteFailed:
        return QStringLiteral(
            "无法完整快照当前剪贴板，或系统拒绝安装临时回粘内容；为避免丢失原内容，本次已取消。");
    }
    Q_UNREACHABLE();
    return QString();
}

} // namespace

ClipboardShelfOperationError::ClipboardShelfOperationError(
    Kind kind, std::optional<PasteExclusionReason> reason)
    : TovraError(describe(kind, reason))
    , m_kind(kind)
    , m_reason(reason)
{
}

ClipboardShelfOperationError ClipboardShelfOperationError::targetExcluded(PasteExclusionReason reason)
{
    return ClipboardShelfOperationError(Kind::targetExcluded, reason);
}

ClipboardShelfOperationError ClipboardShelfOperationError::itemUnavailable()
{
    return ClipboardShelfOperationError(Kind::itemUnavailable, std::nullopt);
}

ClipboardShelfOperationError ClipboardShelfOperationError::sourceUnavailable()
{
    return ClipboardShelfOperationError(Kind::sourceUnavailable, std::nullopt);
}

ClipboardShelfOperationError ClipboardShelfOperationError::clipboardWriteFailed()
{
    return ClipboardShelfOperationError(Kind::clipboardWriteFailed, std::nullopt);
}

} // namespace tovra::app
