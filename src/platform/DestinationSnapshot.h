#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace tovra {

// Where a paste went, as this program sees it: the application and, when the
// accessibility interface tells, the window and the input field.
struct DestinationSnapshot {
    QString applicationName;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> windowTitle;
    std::optional<QString> accessibilityRole;
    std::optional<QString> fieldLabel;
    bool isSecureTextEntry = false;
    // Absent when unknown, which counts as editable.
    std::optional<bool> isEditableTextTarget;
    // The application is a terminal emulator (never stored with a record).
    bool isTerminalEmulator = false;
    // False when the application describes no focus to the accessibility
    // interface at all (not on its bus, or a bare window): whether the field
    // is a password field cannot be told. Never stored with a record.
    bool isFocusExposed = true;
    QDateTime pastedAt;

    friend bool operator==(const DestinationSnapshot &, const DestinationSnapshot &) = default;
};

} // namespace tovra
