// Resonances of the membrane: the alphas at which the constrained system alpha^2 M - K is
// singular. Found by spectrum slicing: by Sylvester's law of inertia, the positive pivots of
// the band elimination at alpha, less one for every fixed node, count the resonant alphas
// below |alpha|; bisection on that count pins each one down.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "solver/ShiftedFactor.h"


// One mesh set up for slicing its spectrum: every count assembles and factors the system afresh
// at its alpha. The option changes only boundary values, not the matrix, so it plays no part.
class ResonanceCounter {
public:
    // Requires counts of at least 1 whose record fits in memory.
    ResonanceCounter(std::int32_t divX, std::int32_t divY, Scheme scheme = Scheme::Standard);

    struct Slice {
        double alpha;         // where the count was taken: |alpha|, or just above it
        std::int32_t below;   // resonant a' with 0 < a' < alpha, with multiplicity
    };
    // Counts the resonances below |alpha|. A pivot that vanishes makes the count meaningless;
    // then it is taken at the next double above at which no pivot vanishes.
    Slice CountBelow(double alpha);

private:
    ShiftedFactor m_factor;
};

// How a search runs: the mesh, the threads (at least 1) that share its brackets, where its
// brackets end, and counts already taken elsewhere that can serve as its first brackets.
struct ResonanceSearch {
    std::int32_t divX = 1;  // at least 1
    std::int32_t divY = 1;  // at least 1
    Scheme scheme = Scheme::Standard;  // where the element's integrals are evaluated
    int threads = 1;
    // A bracket ends when it is narrower than 1e-12 of its upper end or than this absolute
    // width, or when its ends are adjacent doubles.
    double tolerance = 0.0;
    std::vector<ResonanceCounter::Slice> known;  // any order; alphas of at least 0
};

// Resonant alphas number first..last (1-based, increasing, with multiplicity), each bisected
// until its bracket ends; the result is the double of fewest significant digits in the final
// bracket. Requires 1 <= first <= last <= ResonanceCount(divX, divY). The result does not depend
// on the number of threads.
std::vector<double> FindResonances(const ResonanceSearch& search, std::int32_t first,
                                   std::int32_t last);

// Resonances whose alphas lie within this relative distance of each other, directly or through
// others, form a cluster. A cluster's shapes are M-orthonormal, and turned so that all their
// participation falls on the first.
inline constexpr double kClusterTolerance = 1e-8;

// A resonance with its number among all of the mesh.
struct NumberedResonance {
    std::int32_t index;  // its number among the resonances a' > 0, from 1
    double alpha;        // a', or -a' for an interval reaching below zero
};

// Every resonant alpha in [a0, a1] (a0 <= a1), in increasing order: a' and, where the interval
// reaches below zero, -a' (only alpha squared enters the matrix).
std::vector<NumberedResonance> FindResonancesIn(const ResonanceSearch& search, double a0,
                                                double a1);

// The lowest and the highest number among the listed resonances, which must not be empty.
std::pair<std::int32_t, std::int32_t> NumberSpan(const std::vector<NumberedResonance>& listed);
// Their numbers, in the order listed.
std::vector<std::int32_t> Numbers(const std::vector<NumberedResonance>& listed);
