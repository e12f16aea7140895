#pragma once

#include "platform/InputMonitoring.h"

namespace tovra {

class X11Keyboard;

// X11 has no permission for observing keys: every client may read the raw
// key events of XInput 2.2, so the permission counts as granted exactly when
// the server offers them.
class X11InputMonitoring final : public InputMonitoring {
public:
    explicit X11InputMonitoring(const X11Keyboard &keyboard);

    bool isTrusted() const override;
    bool requestAccess() override;
    std::optional<QUrl> systemSettingsURL() const override;

private:
    const X11Keyboard &m_keyboard;
};

} // namespace tovra
