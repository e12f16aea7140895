#include "app/views/denylist/DenylistKindText.h"

namespace tovra::app::views {

DenylistKindText denylistKindText(DenylistEntryKind kind)
{
    switch (kind) {
    case DenylistEntryKind::domain:
        return { QStringLiteral("域名"), QStringLiteral("globe"), QStringLiteral("例如：bank.example.com"),
            QStringLiteral("输入完整域名") };
    case DenylistEntryKind::bundleID:
        break;
    }
    return { QStringLiteral("App Bundle ID"), QStringLiteral("app"), QStringLiteral("例如：com.apple.Terminal"),
        QStringLiteral("输入完整 App Bundle ID") };
}

} // namespace tovra::app::views
