#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <random>

// The one generator behind every wallpaper draw and candidate shuffle of the
// tray process: seeded once, shared by the threads that draw, and uniform over
// any number of items (the C runtime's rand() stops at 32767 and is per thread).
class SharedRandom_CL {
public:
    static SharedRandom_CL& instance();

    void seed(uint64_t value);
    // 0 to n - 1; 0 when n is 0.
    size_t below(size_t n);

private:
    std::mutex mutex_;
    std::mt19937_64 engine_{1};
};
