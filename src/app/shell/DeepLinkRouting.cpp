#include "app/shell/DeepLinkRouting.h"

namespace tovra::app {

bool isOpenMainWindowLink(const QUrl &url)
{
    return url.scheme().toLower() == QLatin1String("tovra") && url.host().toLower() == QLatin1String("open");
}

} // namespace tovra::app
