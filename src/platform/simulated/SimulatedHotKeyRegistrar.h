#pragma once

#include "platform/HotKeyRegistrar.h"

#include <QList>

namespace tovra {

// Hot keys of the simulated desktop: registrations, a press a test injects,
// and status codes that make installation or registration fail.
class SimulatedHotKeyRegistrar final : public HotKeyRegistrar {
public:
    struct Registration {
        QKeyCombination keys;
        quint32 signature = 0;
        quint32 identifier = 0;

        friend bool operator==(const Registration &, const Registration &) = default;
    };

    qint32 installHandler(Handler handler) override;
    void removeHandler() override;
    qint32 registerHotKey(QKeyCombination keys, quint32 signature, quint32 identifier) override;
    void unregisterHotKey(quint32 signature, quint32 identifier) override;

    // Non-zero statuses make the next calls fail with them.
    void setHandlerInstallationStatus(qint32 status) noexcept { m_handlerInstallationStatus = status; }
    void setRegistrationStatus(qint32 status) noexcept { m_registrationStatus = status; }

    // The user presses the keys. True when a registration took the press and
    // a handler received it.
    bool press(QKeyCombination keys);

    bool hasHandler() const noexcept { return bool(m_handler); }
    const QList<Registration> &registrations() const noexcept { return m_registrations; }

private:
    Handler m_handler;
    QList<Registration> m_registrations;
    qint32 m_handlerInstallationStatus = 0;
    qint32 m_registrationStatus = 0;
};

} // namespace tovra
