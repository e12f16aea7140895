#include "platform/NotificationCenter.h"

namespace tovra {

NotificationCenter &NotificationCenter::shared()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::post(const QString &name)
{
    emit posted(name);
}

} // namespace tovra
