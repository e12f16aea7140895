#include "app/data/LocalStoreError.h"

namespace tovra::app {

LocalStoreError::LocalStoreError(Kind kind, QString description)
    : TovraError(std::move(description))
    , m_kind(kind)
{
}

LocalStoreError LocalStoreError::ledgerUnavailable(const QString &openErrorDescription)
{
    const QString detail = openErrorDescription.trimmed();
    if (detail.isEmpty())
        return LocalStoreError(Kind::ledgerUnavailable, QStringLiteral("无法打开本地加密账本。"));
    return LocalStoreError(Kind::ledgerUnavailable, QStringLiteral("无法打开本地加密账本：") + detail);
}

LocalStoreError LocalStoreError::obsidianCommitUnsupported()
{
    return LocalStoreError(Kind::obsidianCommitUnsupported,
        QStringLiteral("当前版本尚不支持记录 Obsidian 插件确认的粘贴，本次未建立记录。"));
}

LocalStoreError LocalStoreError::stopped()
{
    return LocalStoreError(Kind::stopped, QStringLiteral("Tovra 正在退出，本次操作未写入本地账本。"));
}

} // namespace tovra::app
