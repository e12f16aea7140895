#pragma once

#include "platform/ProcessIdentifier.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <optional>

namespace tovra {

// An element of a simulated application that can hold the keyboard focus.
struct SimulatedElement {
    // Unique within its application.
    QString identifier;
    QString windowTitle;
    std::optional<QString> role = QStringLiteral("text");
    std::optional<QString> label;
    bool isSecure = false;
    std::optional<bool> isEditable = true;
    // What arrived in the element through pastes.
    QString text;
    QList<QByteArray> images;
};

// A simulated application: its identity, its elements and which one has the
// focus, and how it answers a request to come to the front.
struct SimulatedApplication {
    ProcessIdentifier processIdentifier = 0;
    QString name;
    std::optional<QString> bundleIdentifier;
    QList<SimulatedElement> elements;
    // The identifier of the focused element; none when nothing has the focus.
    std::optional<QString> focusedElement;
    bool isTerminated = false;
    // A terminal emulator, which pastes only on its own shortcut.
    bool isTerminalEmulator = false;
    // Whether any key of it pastes the clipboard (none of xterm's does).
    bool hasPasteKey = true;
    // Whether the accessibility interface can see into the application.
    bool exposesAccessibility = true;
    // Whether its tree shows the focused element just now; false stands for
    // a keyboard grab in progress, during which toolkits clear the state.
    bool showsFocus = true;
    // Whether its tree shows no focus while another application is in front,
    // as GTK and Qt do on Linux.
    bool hidesFocusWhileInactive = false;
    // How long the application takes to come forward when asked; none when it
    // never does (the window manager refuses, the application hangs).
    std::optional<std::chrono::milliseconds> activationDelay = std::chrono::milliseconds(0);

    SimulatedElement *findElement(const QString &identifier);
    const SimulatedElement *findElement(const QString &identifier) const;
    SimulatedElement *focused() { return focusedElement ? findElement(*focusedElement) : nullptr; }
    const SimulatedElement *focused() const
    {
        return focusedElement ? findElement(*focusedElement) : nullptr;
    }
};

inline SimulatedElement *SimulatedApplication::findElement(const QString &identifier)
{
    for (SimulatedElement &element : elements) {
        if (element.identifier == identifier)
            return &element;
    }
    return nullptr;
}

inline const SimulatedElement *SimulatedApplication::findElement(const QString &identifier) const
{
    for (const SimulatedElement &element : elements) {
        if (element.identifier == identifier)
            return &element;
    }
    return nullptr;
}

} // namespace tovra
