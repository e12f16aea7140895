#pragma once

#include <QString>

#include <optional>

namespace tovra::app {

// The application a history item would be pasted back into, and whether it
// can take the paste now.
struct ClipboardShelfTarget {
    class Availability {
    public:
        static Availability available() { return Availability(std::nullopt); }
        // `reason` is the text shown to the user.
        static Availability unavailable(QString reason) { return Availability(std::move(reason)); }

        bool isAvailable() const noexcept { return !m_reason.has_value(); }
        // Set only when unavailable.
        const std::optional<QString> &unavailableReason() const noexcept { return m_reason; }

        bool operator==(const Availability &) const = default;

    private:
        explicit Availability(std::optional<QString> reason)
            : m_reason(std::move(reason))
        {
        }

        std::optional<QString> m_reason;
    };

    QString applicationName;
    std::optional<QString> bundleIdentifier;
    Availability availability = Availability::available();

    bool operator==(const ClipboardShelfTarget &) const = default;
};

} // namespace tovra::app
