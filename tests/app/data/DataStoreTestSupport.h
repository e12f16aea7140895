#pragma once

#include "MemoryLedgerPersistence.h"
#include "app/data/TovraCoreDataStore.h"
#include "core/ledger/TovraLedger.h"
#include "core/records/SourceCapturePayload.h"
#include "platform/simulated/SimulatedClock.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovra::app::testing {

inline DestinationSnapshot obsidianDestination(const QDateTime &pastedAt)
{
    DestinationSnapshot destination;
    destination.applicationName = QStringLiteral("Obsidian");
    destination.bundleIdentifier = QStringLiteral("md.obsidian");
    destination.windowTitle = QStringLiteral("Reading notes");
    destination.accessibilityRole = QStringLiteral("text");
    destination.fieldLabel = QStringLiteral("Editor");
    destination.pastedAt = pastedAt;
    return destination;
}

inline ApplicationSnapshot textEditor()
{
    return ApplicationSnapshot { QStringLiteral("Text Editor"), QStringLiteral("org.gnome.TextEditor"),
        4242 };
}

inline SourceCapturePayload browserCapture(const QString &text)
{
    SourceCapturePayload payload;
    payload.url = QStringLiteral("https://news.example.org/article?id=7&utm_source=mail");
    payload.title = QStringLiteral("An article");
    payload.selectedText = text;
    return payload;
}

// A data store over a ledger kept in memory, with a clock the test steps.
class CoreDataStoreFixture : public ::testing::Test {
protected:
    CoreDataStoreFixture()
    {
        auto ledger = std::make_unique<TovraLedger>(
            std::make_unique<MemoryLedgerPersistence>(m_state), QByteArray(32, '\x42'));
        m_ledger = ledger.get();
        m_store = std::make_unique<TovraCoreDataStore>(std::move(ledger), m_clock);
    }

    std::shared_ptr<MemoryLedgerPersistence::State> m_state
        = std::make_shared<MemoryLedgerPersistence::State>();
    std::shared_ptr<SimulatedClock> m_clock = std::make_shared<SimulatedClock>();
    // For setting up what the store itself cannot do (browser captures); the
    // store owns it.
    TovraLedger *m_ledger = nullptr;
    std::unique_ptr<TovraCoreDataStore> m_store;
};

} // namespace tovra::app::testing
