#pragma once
// Timing helpers shared by the builder's benchmark programs.
#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace nvqb::bench {

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

inline double Ms(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

} // namespace nvqb::bench
