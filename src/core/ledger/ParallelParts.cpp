#include "core/ledger/ParallelParts.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace tovra {

namespace {

constexpr qsizetype minimumPartBytes = qsizetype(1) << 20;
constexpr qsizetype maximumParts = 4;

} // namespace

qsizetype ParallelParts::count(qsizetype bytes)
{
    return count(bytes, minimumPartBytes);
}

qsizetype ParallelParts::count(qsizetype items, qsizetype minimumPerPart)
{
    const auto cores = qsizetype(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp<qsizetype>(items / minimumPerPart, 1, std::min(maximumParts, cores));
}

bool ParallelParts::run(qsizetype count, const std::function<bool(qsizetype)> &part)
{
    std::vector<char> succeeded(size_t(count), 0);
    const auto run = [&](qsizetype index) {
        try {
            succeeded[size_t(index)] = part(index);
        } catch (...) {
            succeeded[size_t(index)] = false;
        }
    };
    std::vector<std::thread> threads;
    for (qsizetype index = 1; index < count; ++index) {
        try {
            threads.emplace_back(run, index);
        } catch (const std::system_error &) {
            // No thread to be had: the part runs here instead.
            run(index);
        }
    }
    run(0);
    for (std::thread &thread : threads)
        thread.join();
    return std::all_of(succeeded.cbegin(), succeeded.cend(), [](char done) { return done; });
}

} // namespace tovra
