#include "app/model/PasteExclusionText.h"

namespace tovra::app {

QString pasteExclusionText(PasteExclusionReason reason)
{
    switch (reason) {
    case PasteExclusionReason::paused:
        return QStringLiteral("暂停状态");
    case PasteExclusionReason::deniedDomain:
        return QStringLiteral("来源或目标域名位于排除列表");
    case PasteExclusionReason::deniedApplication:
        return QStringLiteral("目标 App 位于排除列表");
    case PasteExclusionReason::sensitiveField:
        return QStringLiteral("目标是敏感或安全输入框");
    case PasteExclusionReason::emptyContent:
        return QStringLiteral("剪贴板中没有可匹配的文本");
    case PasteExclusionReason::contentTooLarge:
        return QStringLiteral("剪贴板文本超过本地匹配上限");
    case PasteExclusionReason::invalidDestination:
        return QStringLiteral("目标信息不完整");
    case PasteExclusionReason::nativeHostUnavailable:
        return QStringLiteral("Native Host 尚未提供待处理来源");
    case PasteExclusionReason::undisclosedField:
        return QStringLiteral("目标 App 未公开输入框信息，无法确认是否为密码框");
    }
    Q_UNREACHABLE();
    return QString();
}

} // namespace tovra::app
