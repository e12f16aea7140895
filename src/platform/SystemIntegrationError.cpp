#include "platform/SystemIntegrationError.h"

#include <QString>

namespace tovra {

namespace {

QString describe(SystemIntegrationError::Kind kind, std::optional<qint32> status)
{
    using Kind = SystemIntegrationError::Kind;
    switch (kind) {
    case Kind::accessibilityPermissionMissing:
        return QStringLiteral("Tovra尚未获得辅助功能权限，无法确认目标输入框；请在系统设置中允许后再试。");
    case Kind::inputMonitoringPermissionMissing:
        return QStringLiteral("Tovra尚未获得输入监控权限，无法观察标准复制、剪切和粘贴快捷键。");
    case Kind::noTargetApplication:
        return QStringLiteral("没有找到可粘贴的目标 App；请先把光标放到其他 App 的文本输入位置。");
    case Kind::targetApplicationUnavailable:
        return QStringLiteral("目标 App 未能切换到前台或已退出；本次未发送粘贴。");
    case Kind::targetChanged:
        return QStringLiteral("目标 App 或输入焦点已变化；为避免粘贴到错误位置，本次已取消。");
    case Kind::targetFocusUnknown:
        return QStringLiteral("目标 App 未告知输入焦点所在；为避免粘贴到错误位置，本次已取消。");
    case Kind::clipboardChanged:
        return QStringLiteral("剪贴板内容已被其他程序更改；为避免粘贴错误内容，本次已取消。");
    case Kind::eventCreationFailed:
        return QStringLiteral("无法创建粘贴按键事件；本次未发送粘贴。");
    case Kind::pasteShortcutUnknown:
        return QStringLiteral("目标 App 没有已知的剪贴板粘贴快捷键；本次未发送粘贴。");
    case Kind::eventTapCreationFailed:
        return QStringLiteral("无法启动键盘快捷键监听；标准复制粘贴暂时不会被观察。");
    case Kind::hotKeyHandlerInstallationFailed:
        return QStringLiteral("无法安装全局快捷键处理程序（状态码 %1）。").arg(status.value_or(0));
    case Kind::hotKeyRegistrationFailed:
        return QStringLiteral("无法注册全局快捷键 ⌥⇧V（状态码 %1）。").arg(status.value_or(0));
    }
    Q_UNREACHABLE();
}

} // namespace

SystemIntegrationError::SystemIntegrationError(Kind kind)
    : SystemIntegrationError(kind, std::nullopt)
{
}

SystemIntegrationError::SystemIntegrationError(Kind kind, std::optional<qint32> status)
    : TovraError(describe(kind, status))
    , m_kind(kind)
    , m_status(status)
{
}

SystemIntegrationError SystemIntegrationError::hotKeyHandlerInstallationFailed(qint32 status)
{
    return SystemIntegrationError(Kind::hotKeyHandlerInstallationFailed, status);
}

SystemIntegrationError SystemIntegrationError::hotKeyRegistrationFailed(qint32 status)
{
    return SystemIntegrationError(Kind::hotKeyRegistrationFailed, status);
}

} // namespace tovra
