#pragma once
// The timing helpers of the plain benchmarks: one run's milliseconds, the median of runs.
#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace benchtiming {

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F> double timeMs(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace benchtiming
