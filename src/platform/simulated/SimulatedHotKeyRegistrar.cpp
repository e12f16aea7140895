#include "platform/simulated/SimulatedHotKeyRegistrar.h"

namespace tovra {

qint32 SimulatedHotKeyRegistrar::installHandler(Handler handler)
{
    if (m_handlerInstallationStatus != 0)
        return m_handlerInstallationStatus;
    m_handler = std::move(handler);
    return 0;
}

void SimulatedHotKeyRegistrar::removeHandler()
{
    m_handler = nullptr;
}

qint32 SimulatedHotKeyRegistrar::registerHotKey(QKeyCombination keys, quint32 signature, quint32 identifier)
{
    if (m_registrationStatus != 0)
        return m_registrationStatus;
    unregisterHotKey(signature, identifier);
    m_registrations.append(Registration { keys, signature, identifier });
    return 0;
}

void SimulatedHotKeyRegistrar::unregisterHotKey(quint32 signature, quint32 identifier)
{
    m_registrations.removeIf([&](const Registration &registration) {
        return registration.signature == signature && registration.identifier == identifier;
    });
}

bool SimulatedHotKeyRegistrar::press(QKeyCombination keys)
{
    for (const Registration &registration : m_registrations) {
        if (registration.keys == keys && m_handler) {
            const Handler handler = m_handler;
            handler(registration.signature, registration.identifier);
            return true;
        }
    }
    return false;
}

} // namespace tovra
