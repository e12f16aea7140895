#pragma once

#include "platform/SystemIntegrationError.h"

#include <QCoroTask>

#include <optional>
#include <utility>

namespace tovra::testing {

// Follows a coroutine that the simulated clock drives: after each step a test
// asks whether it has finished and with which value or integration failure.
template <typename T> class TaskProbe {
public:
    explicit TaskProbe(QCoro::Task<T> task)
        : m_runner(run(std::move(task)))
    {
    }

    bool isDone() const { return m_value.has_value() || m_failure.has_value() || m_otherError; }
    const std::optional<T> &value() const { return m_value; }
    std::optional<SystemIntegrationError::Kind> failure() const { return m_failure; }

private:
    QCoro::Task<void> run(QCoro::Task<T> task)
    {
        try {
            m_value.emplace(co_await std::move(task));
        } catch (const SystemIntegrationError &error) {
            m_failure = error.kind();
        } catch (...) {
            m_otherError = true;
        }
    }

    std::optional<T> m_value;
    std::optional<SystemIntegrationError::Kind> m_failure;
    bool m_otherError = false;
    QCoro::Task<void> m_runner;
};

} // namespace tovra::testing
