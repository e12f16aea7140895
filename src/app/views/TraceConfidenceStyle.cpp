#include "app/views/TraceConfidenceStyle.h"

#include "app/views/Palette.h"

namespace tovra::app::views {

TraceConfidenceStyle traceConfidenceStyle(TraceConfidence confidence)
{
    switch (confidence) {
    case TraceConfidence::verified:
        return { QStringLiteral("编辑器已确认"), QStringLiteral("checkmark.shield"), palette::green,
            QStringLiteral("目标适配器确认已插入编辑器；未验证文件保存或云同步。") };
    case TraceConfidence::observed:
        return { QStringLiteral("已观测"), QStringLiteral("eye"), palette::orange,
            QStringLiteral("已确认来源并主动发送粘贴，但目标 App 未返回写入回执。") };
    case TraceConfidence::inferred:
        break;
    }
    return { QStringLiteral("可能粘贴"), QStringLiteral("questionmark.diamond"), palette::secondary,
        QStringLiteral("仅由间接信号推断，不能作为已发生粘贴的事实。") };
}

} // namespace tovra::app::views
