#pragma once

#include "core/ledger/LedgerPersistence.h"

#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tovra::app::testing {

// A ledger kept in memory that notes which thread touches it, and can hold
// the next access until the test lets it go.
class MemoryLedgerPersistence final : public LedgerPersistence {
public:
    struct State {
        std::mutex mutex;
        LedgerSnapshot snapshot;
        std::vector<std::thread::id> accessThreads;
        int accessesInProgress = 0;
        int mostAccessesAtOnce = 0;
        // Set by holdNextAccess(): the next access signals `entered` and
        // waits for `release`.
        std::optional<std::promise<void>> entered;
        std::optional<std::shared_future<void>> release;

        // Returns a future that is ready once the held access has begun, and
        // the promise that lets it go on.
        std::pair<std::future<void>, std::promise<void>> holdNextAccess()
        {
            const std::lock_guard lock(mutex);
            entered.emplace();
            std::promise<void> releaser;
            release = releaser.get_future().share();
            return { entered->get_future(), std::move(releaser) };
        }

        std::vector<std::thread::id> threads()
        {
            const std::lock_guard lock(mutex);
            return accessThreads;
        }
    };

    explicit MemoryLedgerPersistence(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {
    }

    LedgerSnapshot load() override
    {
        const Access access(*m_state);
        const std::lock_guard lock(m_state->mutex);
        return m_state->snapshot;
    }

    LedgerSnapshot update(const Change &change) override
    {
        const Access access(*m_state);
        const std::lock_guard lock(m_state->mutex);
        LedgerSnapshot edited = m_state->snapshot;
        if (change(edited))
            m_state->snapshot = edited;
        return m_state->snapshot;
    }

private:
    class Access {
    public:
        explicit Access(State &state)
            : m_state(state)
        {
            std::optional<std::shared_future<void>> release;
            {
                const std::lock_guard lock(m_state.mutex);
                m_state.accessThreads.push_back(std::this_thread::get_id());
                m_state.mostAccessesAtOnce
                    = std::max(m_state.mostAccessesAtOnce, ++m_state.accessesInProgress);
                if (m_state.entered) {
                    m_state.entered->set_value();
                    m_state.entered.reset();
                    release = std::move(m_state.release);
                    m_state.release.reset();
                }
            }
            if (release)
                release->wait();
        }

        ~Access()
        {
            const std::lock_guard lock(m_state.mutex);
            --m_state.accessesInProgress;
        }

    private:
        State &m_state;
    };

    std::shared_ptr<State> m_state;
};

} // namespace tovra::app::testing
