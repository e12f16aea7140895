#include "app/model/TovraDeepLinkMailbox.h"

namespace tovra::app {

TovraDeepLinkMailbox &TovraDeepLinkMailbox::shared()
{
    static TovraDeepLinkMailbox mailbox;
    return mailbox;
}

void TovraDeepLinkMailbox::deliver(const QUrl &url)
{
    if (m_consumer)
        m_consumer(url);
    else
        m_pendingURLs.append(url);
}

QList<QUrl> TovraDeepLinkMailbox::installConsumer(Consumer consumer)
{
    m_consumer = std::move(consumer);
    return std::exchange(m_pendingURLs, {});
}

} // namespace tovra::app
