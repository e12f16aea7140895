#include "app/nativehost/ChromeNativeHostInstallationError.h"

#include <cstring>

namespace tovra {

ChromeNativeHostInstallationError::ChromeNativeHostInstallationError(
    Kind kind, QString description, QString path, int errorNumber)
    : TovraError(std::move(description))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_errorNumber(errorNumber)
{
}

ChromeNativeHostInstallationError ChromeNativeHostInstallationError::invalidExtensionID()
{
    return { Kind::invalidExtensionID,
        QStringLiteral("Chrome 扩展 ID 无效：应为 32 个字符，且每个字符都是 a 到 p 之间的小写字母。"), {} };
}

ChromeNativeHostInstallationError ChromeNativeHostInstallationError::executableUnavailable(
    const QString &path)
{
    return { Kind::executableUnavailable,
        QStringLiteral("找不到可运行的 Tovra 程序（%1），无法安装 Chrome 本地组件。").arg(path), path };
}

ChromeNativeHostInstallationError ChromeNativeHostInstallationError::unsafeManifestPath(const QString &path)
{
    return { Kind::unsafeManifestPath,
        QStringLiteral("Chrome 本地组件的安装位置不安全（%1 "
                       "是符号链接、不是普通文件夹或文件，或属于其他用户），已停止安装。")
            .arg(path),
        path };
}

ChromeNativeHostInstallationError ChromeNativeHostInstallationError::manifestVerificationFailed(
    const QString &path)
{
    return { Kind::manifestVerificationFailed,
        QStringLiteral("Chrome 本地组件清单（%1）写入后校验失败，请再次安装。").arg(path), path };
}

ChromeNativeHostInstallationError ChromeNativeHostInstallationError::manifestWriteFailed(
    const QString &path, int errorNumber)
{
    return { Kind::manifestWriteFailed,
        QStringLiteral("无法写入 Chrome 本地组件清单（%1）：%2")
            .arg(path, QString::fromLocal8Bit(std::strerror(errorNumber))),
        path, errorNumber };
}

} // namespace tovra
