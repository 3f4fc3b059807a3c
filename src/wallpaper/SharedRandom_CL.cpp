#include "wallpaper/SharedRandom_CL.h"

SharedRandom_CL& SharedRandom_CL::instance()
{
    static SharedRandom_CL random;
    return random;
}

void SharedRandom_CL::seed(uint64_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    engine_.seed(value);
}

size_t SharedRandom_CL::below(size_t n)
{
    if (n == 0) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    return std::uniform_int_distribution<size_t>(0, n - 1)(engine_);
}
