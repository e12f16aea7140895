#pragma once

#include <QKeyCombination>
#include <QtGlobal>

#include <functional>

namespace tovra {

// System-wide hot keys. A registration is named by a signature and an
// identifier, which come back with each press.
class HotKeyRegistrar {
public:
    // Called on the main thread.
    using Handler = std::function<void(quint32 signature, quint32 identifier)>;

    virtual ~HotKeyRegistrar() = default;

    // Installs the one handler of every registered hot key, replacing an earlier
    // one. Returns 0, or the system's status code of the failure.
    virtual qint32 installHandler(Handler handler) = 0;

    // Removes the handler; presses are dropped until one is installed again.
    virtual void removeHandler() = 0;

    // Claims the key combination on the whole desktop. Returns 0, or the status
    // code of the failure (for example, another program holds the combination).
    virtual qint32 registerHotKey(QKeyCombination keys, quint32 signature, quint32 identifier) = 0;

    // Releases the registration; safe when there is none.
    virtual void unregisterHotKey(quint32 signature, quint32 identifier) = 0;
};

} // namespace tovra
