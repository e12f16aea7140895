#pragma once

#include <QKeyCombination>
#include <QString>
#include <QtGlobal>

namespace tovra {

class HotKeyRegistrar;

// The four characters of a hot-key signature packed big-endian into 32 bits.
constexpr quint32 fourCharCode(const char (&characters)[5])
{
    return (quint32(quint8(characters[0])) << 24) | (quint32(quint8(characters[1])) << 16)
        | (quint32(quint8(characters[2])) << 8) | quint32(quint8(characters[3]));
}

// Posted on the app-wide NotificationCenter for each press of the trace-paste
// hot key.
inline const QString tracePasteHotKeyNotification = QStringLiteral("app.tovra.tracePasteHotKey");

// The global trace-paste hot key, Option (Alt) + Shift + V. Created without a
// registration; released when destroyed.
class GlobalHotKeyController {
public:
    static constexpr QKeyCombination tracePasteKeys { Qt::AltModifier | Qt::ShiftModifier, Qt::Key_V };

    GlobalHotKeyController(HotKeyRegistrar &registrar, quint32 signature, quint32 identifier);
    ~GlobalHotKeyController();

    GlobalHotKeyController(const GlobalHotKeyController &) = delete;
    GlobalHotKeyController &operator=(const GlobalHotKeyController &) = delete;

    // Installs the press handler (once) and claims the keys; does nothing when
    // already registered. Throws SystemIntegrationError:
    // hotKeyHandlerInstallationFailed or hotKeyRegistrationFailed with the
    // system's status code. A failed attempt can simply be repeated.
    void registerHotKey();

    bool isRegistered() const noexcept { return m_registered; }
    quint32 signature() const noexcept { return m_signature; }
    quint32 identifier() const noexcept { return m_identifier; }

private:
    HotKeyRegistrar &m_registrar;
    quint32 m_signature;
    quint32 m_identifier;
    bool m_handlerInstalled = false;
    bool m_registered = false;
};

} // namespace tovra
