#pragma once

#include <QCoroFuture>
#include <QCoroTask>
#include <QFuture>

#include <exception>
#include <type_traits>

// Tasks for operations that are not coroutines themselves. The operations
// build their work and its arguments in plain functions and hand a future or
// an error to these small coroutines, which take nothing but that: arguments
// of the operations never live in a coroutine frame.
namespace tovra::app::async {

// Finishes with the future's result, or rethrows its exception, on the
// thread that awaits the task.
template <typename T> QCoro::Task<T> awaitFuture(QFuture<T> future)
{
    co_return co_await future;
}

inline QCoro::Task<void> awaitFuture(QFuture<void> future)
{
    co_await future;
}

// Fails with `error` when awaited, not when called. The co_return is never
// reached: it only makes this function a coroutine.
template <typename T> QCoro::Task<T> failure(std::exception_ptr error)
{
    std::rethrow_exception(error);
    if constexpr (std::is_void_v<T>)
        co_return;
    else
        co_return T {};
}

// Finishes at once with `value`.
template <typename T> QCoro::Task<T> ready(T value)
{
    co_return value;
}

inline QCoro::Task<void> done()
{
    co_return;
}

} // namespace tovra::app::async
