#include "app/views/panel/HeaderAppearance.h"

#include "app/views/Palette.h"

namespace tovra::app::views {

HeaderAppearance HeaderAppearance::of(bool isPaused, ObservationModeStatus status, bool isFollowingPasteboard)
{
    if (isPaused)
        return { QStringLiteral("pause.circle.fill"), palette::orange, QStringLiteral("已暂停"),
            QStringLiteral("不会观察或写入新的溯源记录") };
    switch (status) {
    case ObservationModeStatus::dedicated:
        return { QStringLiteral("cursorarrow.click"), palette::secondary, QStringLiteral("专用模式"),
            QStringLiteral("仅使用 ⌥⇧C 与 ⌥⇧V 专用链路") };
    case ObservationModeStatus::observing:
        return { QStringLiteral("eye"), palette::green, QStringLiteral("观察模式"),
            QStringLiteral("标准 ⌘C/⌘X/⌘V App 级旁路观察已开启") };
    case ObservationModeStatus::permissionRequired:
        return { QStringLiteral("exclamationmark.shield"), palette::orange, QStringLiteral("观察权限待授权"),
            isFollowingPasteboard ? QStringLiteral("仅根据剪贴板变化推断复制来源；标准粘贴未观察")
                                  : QStringLiteral("标准观察未启动；专用粘贴仍可用") };
    case ObservationModeStatus::unavailable:
        return { QStringLiteral("eye.slash"), palette::orange, QStringLiteral("观察模式不可用"),
            QStringLiteral("观察器不可用；已降级到专用模式") };
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace tovra::app::views
