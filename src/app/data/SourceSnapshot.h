#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

namespace tovra::app {

// The source end of a record as the app shows it.
struct SourceSnapshot {
    // The sanitised address of the source page; absent for application sources.
    std::optional<QUrl> url;
    // The page title; empty when there is none.
    QString title;
    // The page's host; empty without an address.
    QString domain;
    QString applicationName;
    std::optional<QString> bundleIdentifier;
    QDateTime capturedAt;
    // The paste could not be tied to any source.
    bool isUnknown = false;

    bool operator==(const SourceSnapshot &) const = default;
};

} // namespace tovra::app
