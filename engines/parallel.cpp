#include "engines/parallel.h"

#include <atomic>
#include <thread>
#include <vector>

namespace engines {

void for_each_in_parallel(size_t count, size_t in_flight, const std::function<bool(size_t)>& work) {
    std::atomic<size_t> next{0};
    std::atomic<bool> stopped{false};
    auto run = [&] {
        for (size_t i = next++; i < count && !stopped; i = next++) {
            bool go_on = false;
            try {
                go_on = work(i);
            } catch (...) {
            }
            if (!go_on) stopped = true;
        }
    };
    size_t helpers = std::min(in_flight, count);
    std::vector<std::thread> threads;
    for (size_t i = 1; i < helpers; ++i) threads.emplace_back(run);
    run();
    for (std::thread& thread : threads) thread.join();
}

}  // namespace engines
