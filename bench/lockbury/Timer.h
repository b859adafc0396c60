#pragma once
#include <chrono>

namespace Bench {

// Milliseconds since construction, on the monotonic clock.
class Timer {
public:
    double Ms() const { return std::chrono::duration<double, std::milli>(Clock::now() - start_).count(); }
    double Ns() const { return std::chrono::duration<double, std::nano>(Clock::now() - start_).count(); }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now();
};

}  // namespace Bench
