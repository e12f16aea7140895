#pragma once

#include <QCoroTask>
#include <QEventLoop>

#include <exception>
#include <optional>
#include <type_traits>

namespace tovra::app::testing {

// Runs the event loop of the calling thread until `task` finishes, then
// returns its result or rethrows what it threw.
template <typename T> T awaitTask(QCoro::Task<T> task)
{
    QEventLoop loop;
    bool done = false;
    std::exception_ptr failure;
    [[maybe_unused]] std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result {};
    auto runner = [&]() -> QCoro::Task<void> {
        try {
            if constexpr (std::is_void_v<T>)
                co_await std::move(task);
            else
                result = co_await std::move(task);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        loop.quit();
    };
    auto running = runner();
    if (!done)
        loop.exec();
    if (failure)
        std::rethrow_exception(failure);
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}

} // namespace tovra::app::testing
