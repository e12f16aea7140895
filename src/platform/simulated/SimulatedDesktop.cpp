#include "platform/simulated/SimulatedDesktop.h"

#include "platform/GlobalHotKeyController.h"

namespace tovra {

SimulatedDesktop::SimulatedDesktop(ProcessIdentifier ownProcessIdentifier)
    : m_ownProcessIdentifier(ownProcessIdentifier)
    , m_workspace(m_clock)
    , m_accessibility(m_workspace)
    , m_keyboard(m_workspace, m_pasteboard, m_clock)
{
    SimulatedApplication own;
    own.processIdentifier = ownProcessIdentifier;
    own.name = ownApplicationName;
    own.bundleIdentifier = ownBundleIdentifier;
    SimulatedElement panel;
    panel.identifier = QStringLiteral("main-panel");
    panel.windowTitle = ownApplicationName;
    panel.role = QStringLiteral("panel");
    panel.isEditable = false;
    own.elements.append(panel);
    own.focusedElement = panel.identifier;
    m_workspace.add(std::move(own));
}

PlatformServices SimulatedDesktop::services()
{
    PlatformServices services;
    services.pasteboard = &m_pasteboard;
    services.workspace = &m_workspace;
    services.accessibility = &m_accessibility;
    services.inputMonitoring = &m_inputMonitoring;
    services.keyCommandTap = &m_keyboard;
    services.keyEventPoster = &m_keyboard;
    services.hotKeyRegistrar = &m_hotKeys;
    services.clock = &m_clock;
    services.applicationActivity = &m_applicationActivity;
    services.ownProcessIdentifier = m_ownProcessIdentifier;
    return services;
}

ProcessIdentifier SimulatedDesktop::launch(
    const QString &name, const std::optional<QString> &bundleIdentifier, QList<SimulatedElement> elements)
{
    return m_workspace.launch(name, bundleIdentifier, std::move(elements));
}

void SimulatedDesktop::switchTo(ProcessIdentifier processIdentifier)
{
    const bool becomesActive = processIdentifier == m_ownProcessIdentifier
        && m_workspace.frontmostProcessIdentifier() != processIdentifier;
    m_workspace.bringToFront(processIdentifier);
    if (becomesActive)
        m_applicationActivity.notifyDidBecomeActive();
}

void SimulatedDesktop::copyText(ProcessIdentifier processIdentifier, const QString &text)
{
    switchTo(processIdentifier);
    m_keyboard.pressClipboardShortcut(ClipboardCommandKind::copy);
    m_pasteboard.setText(text);
}

void SimulatedDesktop::copyImage(
    ProcessIdentifier processIdentifier, const QByteArray &data, const QString &type)
{
    switchTo(processIdentifier);
    m_keyboard.pressClipboardShortcut(ClipboardCommandKind::copy);
    m_pasteboard.setImage(data, type);
}

void SimulatedDesktop::pasteByUser(ProcessIdentifier processIdentifier)
{
    switchTo(processIdentifier);
    m_keyboard.pressClipboardShortcut(ClipboardCommandKind::paste);
}

bool SimulatedDesktop::pressHotKey()
{
    return m_hotKeys.press(GlobalHotKeyController::tracePasteKeys);
}

QString SimulatedDesktop::focusedText(ProcessIdentifier processIdentifier) const
{
    const SimulatedElement *element = m_workspace.application(processIdentifier).focused();
    return element ? element->text : QString();
}

} // namespace tovra
