#pragma once
// The benchmarks' clock, and figures that hold on a machine busy with other work: two jobs
// measured side by side round after round, so that the load slows both alike, and the medians
// over the rounds of each figure and of their ratio.
#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace bench {

inline double Now() {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Microseconds per call of f(i), over calls i = 0 to n - 1.
template <typename F> double PerCall(int n, F f) {
    const double start = Now();
    for (int i = 0; i < n; ++i) {
        f(i);
    }
    return (Now() - start) / n;
}

struct Medians {
    double first, second, ratio;
};

// round() gives a round's two figures.
template <typename Round> Medians MediansOf(int rounds, Round round) {
    std::vector<double> figures[3];
    for (int i = 0; i < rounds; ++i) {
        const std::pair<double, double> both = round();
        figures[0].push_back(both.first);
        figures[1].push_back(both.second);
        figures[2].push_back(both.first / both.second);
    }
    double medians[3] = {};
    for (int k = 0; k < 3; ++k) {
        std::sort(figures[k].begin(), figures[k].end());
        medians[k] = figures[k][rounds / 2];
    }
    return Medians{medians[0], medians[1], medians[2]};
}

// measure(true), then measure(false), each round.
template <typename Measure> Medians Measured(int rounds, Measure measure) {
    return MediansOf(rounds, [&] { return std::make_pair(measure(true), measure(false)); });
}

// Microseconds per call of first() and of second(), called in turn `calls` times a round.
template <typename First, typename Second> Medians InTurn(int rounds, int calls, First first, Second second) {
    return MediansOf(rounds, [&] {
        double spent[2] = {};
        for (int i = 0; i < calls; ++i) {
            const double start = Now();
            first();
            const double middle = Now();
            second();
            spent[0] += middle - start;
            spent[1] += Now() - middle;
        }
        return std::make_pair(spent[0] / calls, spent[1] / calls);
    });
}

} // namespace bench
