// The one way work goes onto threads, for the resonances, the shapes and the sweep alike.
#pragma once

#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// work(t) for t = 0 .. min(threads, tasks) - 1, each on a thread of its own, t = 0 on the
// calling one; returns when all have returned. Every call gets a thread index of its own, so
// that it can keep its own record and take its own share of the tasks.
//
// What a call throws (std::bad_alloc above all, when a thread's record cannot be allocated)
// does not end the process: every thread is joined, then the first exception thrown is thrown
// again on the calling thread.
template <class Work>
void OnThreads(int threads, std::size_t tasks, const Work& work)
{
    std::mutex guard;
    std::exception_ptr first;
    const auto guarded = [&](int t) {
        try {
            work(t);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(guard);
            if (!first)
                first = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    try {
        for (int t = 1; t < threads && static_cast<std::size_t>(t) < tasks; ++t)
            workers.emplace_back(guarded, t);
    } catch (...) {
        // A thread that cannot be started: those already running finish, and the failure is
        // the caller's to report.
        for (std::thread& w : workers)
            w.join();
        throw;
    }
    guarded(0);
    for (std::thread& w : workers)
        w.join();
    if (first)
        std::rethrow_exception(first);
}
