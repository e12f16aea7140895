#pragma once

#include <QList>
#include <QUrl>

#include <functional>

namespace tovra::app {

// Holds the links opened with the app (trace links) until the model is
// ready to take them, then hands each one straight to the model. Used on the
// GUI thread only.
class TovraDeepLinkMailbox {
public:
    using Consumer = std::function<void(const QUrl &)>;

    // Created on first use and kept until the process ends.
    static TovraDeepLinkMailbox &shared();

    // To the consumer at once when there is one, else queued.
    void deliver(const QUrl &url);

    // Installs the consumer and returns the links that waited, in arrival
    // order, leaving the queue empty; the caller hands them on itself.
    QList<QUrl> installConsumer(Consumer consumer);

    const QList<QUrl> &pendingURLs() const noexcept { return m_pendingURLs; }
    bool hasConsumer() const noexcept { return bool(m_consumer); }

private:
    QList<QUrl> m_pendingURLs;
    Consumer m_consumer;
};

} // namespace tovra::app
