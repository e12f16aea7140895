#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class QSettings;

namespace tovra {

// Remembers that the user was sent to grant Input Monitoring, which takes
// effect only after a restart, so that the next launch can say whether the
// grant arrived. Copies share the same settings.
class PermissionRelaunchIntentStore {
public:
    using Now = std::function<QDateTime()>;

    static inline const QString intentKey
        = QStringLiteral("tovra.permissions.inputMonitoringRelaunchIntentAt");
    static constexpr double defaultMaximumAge = 86400;
    // How far in the future a stored time may lie (a clock set back since) and
    // still count.
    static constexpr double maximumFutureSkew = 300;

    // `now` defaults to the current time at each call.
    PermissionRelaunchIntentStore(
        std::shared_ptr<QSettings> defaults, Now now = {}, double maximumAge = defaultMaximumAge);

    QDateTime now() const;
    double maximumAge() const noexcept { return m_maximumAge; }
    QSettings &defaults() const noexcept { return *m_defaults; }

    // Stores the current time as seconds since 1970 and writes it through, so a
    // restart right after still finds it.
    void recordInputMonitoringRelaunchIntent() const;

    // Reads the stored intent at the next launch. A number is removed and
    // counts when it lies at most `maximumAge` seconds in the past and at most
    // `maximumFutureSkew` seconds in the future, both inclusive. Anything else
    // stored under the key is not ours to judge: it stays and does not count.
    bool consumeInputMonitoringRelaunchIntent() const;

private:
    std::shared_ptr<QSettings> m_defaults;
    Now m_now;
    double m_maximumAge;
};

} // namespace tovra
