#pragma once

// Small helpers shared by the benchmark programs: a monotonic clock that
// separate processes can compare, and order statistics of repeated runs.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process, so a
// launcher's timestamp and its child's can be subtracted.
inline std::int64_t MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// Nearest-rank quantile (q in [0, 1]); the median of an even count is the
// mean of its two middle values.
inline double Quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    if (q == 0.5 && values.size() % 2 == 0)
        return (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2.0;
    const auto rank = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(rank, values.size() - 1)];
}

inline double Median(std::vector<double> values)
{
    return Quantile(std::move(values), 0.5);
}

// Machine-readable result line that bench/run-all collects: "@ key value".
inline void Report(const std::string& key, double value)
{
    std::printf("@ %s %.6g\n", key.c_str(), value);
    std::fflush(stdout);
}

} // namespace bench
