#include "platform/GlobalHotKeyController.h"

#include "platform/HotKeyRegistrar.h"
#include "platform/NotificationCenter.h"
#include "platform/SystemIntegrationError.h"

namespace tovra {

GlobalHotKeyController::GlobalHotKeyController(
    HotKeyRegistrar &registrar, quint32 signature, quint32 identifier)
    : m_registrar(registrar)
    , m_signature(signature)
    , m_identifier(identifier)
{
}

GlobalHotKeyController::~GlobalHotKeyController()
{
    if (m_registered)
        m_registrar.unregisterHotKey(m_signature, m_identifier);
    if (m_handlerInstalled)
        m_registrar.removeHandler();
}

void GlobalHotKeyController::registerHotKey()
{
    if (m_registered)
        return;
    if (!m_handlerInstalled) {
        const qint32 status
            = m_registrar.installHandler([signature = m_signature, identifier = m_identifier](
                                             quint32 pressedSignature, quint32 pressedIdentifier) {
                  if (pressedSignature == signature && pressedIdentifier == identifier)
                      NotificationCenter::shared().post(tracePasteHotKeyNotification);
              });
        if (status != 0)
            throw SystemIntegrationError::hotKeyHandlerInstallationFailed(status);
        m_handlerInstalled = true;
    }
    const qint32 status = m_registrar.registerHotKey(tracePasteKeys, m_signature, m_identifier);
    if (status != 0)
        throw SystemIntegrationError::hotKeyRegistrationFailed(status);
    m_registered = true;
}

} // namespace tovra
