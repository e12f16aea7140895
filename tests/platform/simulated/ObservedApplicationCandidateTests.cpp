#include "platform/ObservedApplicationCandidate.h"

#include <gtest/gtest.h>

using namespace tovra;

namespace {

constexpr ProcessIdentifier own = 100;

struct Row {
    const char *name;
    std::optional<ObservedApplicationCandidate> eventTarget;
    std::optional<ObservedApplicationCandidate> frontmost;
    std::optional<ProcessIdentifier> expected;
};

ObservedApplicationCandidate app(ProcessIdentifier processIdentifier, std::optional<QString> bundleIdentifier)
{
    return ObservedApplicationCandidate { processIdentifier, std::move(bundleIdentifier) };
}

const QString editor = QStringLiteral("org.example.Editor");
const QString browser = QStringLiteral("org.example.Browser");

} // namespace

TEST(PreferredObservedApplication, FollowsTheCandidateTable)
{
    const std::vector<Row> rows = {
        { "both qualify: frontmost wins", app(201, browser), app(202, editor), 202 },
        { "only the event target qualifies", app(201, browser), std::nullopt, 201 },
        { "frontmost is our own process", app(201, browser), app(own, editor), 201 },
        { "frontmost has no bundle identifier", app(201, browser), app(202, std::nullopt), 201 },
        { "frontmost has an empty bundle identifier", app(201, browser), app(202, QString()), 201 },
        { "frontmost is a transient system application", app(201, browser),
            app(202, QStringLiteral("org.gnome.Shell")), 201 },
        { "frontmost has process identifier 0", app(201, browser), app(0, editor), 201 },
        { "frontmost has a negative process identifier", app(201, browser), app(-5, editor), 201 },
        { "process identifier 1 qualifies", std::nullopt, app(1, editor), 1 },
        { "neither candidate present", std::nullopt, std::nullopt, std::nullopt },
        { "event target is ours, frontmost transient", app(own, browser),
            app(202, QStringLiteral("plasmashell")), std::nullopt },
        { "event target has no bundle identifier", app(201, std::nullopt), std::nullopt, std::nullopt },
        { "event target transient", app(201, QStringLiteral("gnome-shell")), std::nullopt, std::nullopt },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            preferredObservedApplicationProcessIdentifier(row.eventTarget, row.frontmost, own), row.expected);
    }
}

TEST(PreferredObservedApplication, QualificationMatchesTheChoice)
{
    EXPECT_TRUE(qualifiesAsObservedApplication(app(300, editor), own));
    EXPECT_FALSE(qualifiesAsObservedApplication(app(own, editor), own));
    EXPECT_FALSE(qualifiesAsObservedApplication(std::nullopt, own));
}
