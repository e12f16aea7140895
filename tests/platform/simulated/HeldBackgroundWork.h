#pragma once

#include "platform/BackgroundWork.h"

#include <QList>

namespace tovra::testing {

// Background work that runs each job in place, or, while held, keeps the jobs
// until the test releases them: what the desktop does meanwhile is the
// test's to choose.
class HeldBackgroundWork final : public BackgroundWork {
public:
    void start(std::function<void()> job) override
    {
        if (m_held)
            m_waiting.append(std::move(job));
        else
            job();
    }

    void hold() { m_held = true; }

    // Runs the kept jobs in order and runs the next ones in place again.
    void release()
    {
        m_held = false;
        for (const std::function<void()> &job : std::exchange(m_waiting, {}))
            job();
    }

    qsizetype waitingCount() const { return m_waiting.size(); }

private:
    bool m_held = false;
    QList<std::function<void()>> m_waiting;
};

} // namespace tovra::testing
