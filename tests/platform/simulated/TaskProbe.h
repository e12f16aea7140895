#pragma once

#include <QCoroTask>

#include <exception>
#include <optional>
#include <utility>

namespace tovra::testing {

// Follows a coroutine that the simulated clock drives: after each step a test
// asks whether it has finished and with which value or exception.
template <typename T> class TaskProbe {
public:
    explicit TaskProbe(QCoro::Task<T> task)
        : m_runner(run(std::move(task)))
    {
    }

    bool isDone() const { return m_value.has_value() || m_error != nullptr; }
    const std::optional<T> &value() const { return m_value; }
    std::exception_ptr error() const { return m_error; }

    // The exception the coroutine ended with, as E; none when it ended
    // otherwise or has not ended.
    template <typename E> std::optional<E> errorAs() const
    {
        if (!m_error)
            return std::nullopt;
        try {
            std::rethrow_exception(m_error);
        } catch (const E &error) {
            return error;
        } catch (...) {
            return std::nullopt;
        }
    }

private:
    QCoro::Task<void> run(QCoro::Task<T> task)
    {
        try {
            m_value.emplace(co_await std::move(task));
        } catch (...) {
            m_error = std::current_exception();
        }
    }

    std::optional<T> m_value;
    std::exception_ptr m_error;
    QCoro::Task<void> m_runner;
};

} // namespace tovra::testing
