// The one way work goes onto threads, for the resonances, the shapes and the sweep alike.
#pragma once

#include <cstddef>
#include <thread>
#include <vector>

// work(t) for t = 0 .. min(threads, tasks) - 1, each on a thread of its own, t = 0 on the
// calling one; returns when all have returned. Every call gets a thread index of its own, so
// that it can keep its own record and take its own share of the tasks.
template <class Work>
void OnThreads(int threads, std::size_t tasks, const Work& work)
{
    std::vector<std::thread> workers;
    for (int t = 1; t < threads && static_cast<std::size_t>(t) < tasks; ++t)
        workers.emplace_back([&work, t] { work(t); });
    work(0);
    for (std::thread& w : workers)
        w.join();
}
