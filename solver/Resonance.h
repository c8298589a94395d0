// Resonances of the membrane: the alphas at which the constrained system alpha^2 M - K is
// singular. Found by spectrum slicing: by Sylvester's law of inertia, the positive pivots of
// the band elimination at alpha, less one for every fixed node, count the resonant alphas
// below |alpha|; bisection on that count pins each one down.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "solver/MembraneModel.h"

// Resonant alphas of a mesh, counted with multiplicity: one per free node, (divX - 1) * (divY + 1),
// since the left and right edges are fixed.
std::int32_t ModeCount(std::int32_t divX, std::int32_t divY);

// Resonant a' with 0 < a' < |alpha| from a record just factored at alpha, by SolveBand or
// FactorBand: its positive pivots less its fixed nodes. Meaningful only when the inertia has no
// bad row.
std::int32_t ModesBelow(const MembraneModel& factored, const BandInertia& inertia);

// One mesh set up for slicing its spectrum: the counts and the boundary table are built once,
// and every count assembles and factors the system afresh at its alpha. The option changes
// only boundary values, not the matrix, so it plays no part.
class ModeCounter {
public:
    // Requires 1 <= divX <= 90 and 1 <= divY <= 30.
    ModeCounter(std::int32_t divX, std::int32_t divY);

    struct Slice {
        double alpha;         // where the count was taken: |alpha|, or just above it
        std::int32_t below;   // resonant a' with 0 < a' < alpha, with multiplicity
    };
    // Counts the resonances below |alpha|. A pivot that vanishes makes the count meaningless;
    // then it is taken at the next double above at which no pivot vanishes.
    Slice CountBelow(double alpha);

private:
    std::unique_ptr<MembraneModel> m_model;
};

// How a search runs: the mesh, the threads (at least 1) that share its brackets, where its
// brackets end, and counts already taken elsewhere that can serve as its first brackets.
struct ModeSearch {
    std::int32_t divX = 1;  // 1..90
    std::int32_t divY = 1;  // 1..30
    int threads = 1;
    // A bracket ends when it is narrower than 1e-12 of its upper end or than this absolute
    // width, or when its ends are adjacent doubles.
    double tolerance = 0.0;
    std::vector<ModeCounter::Slice> known;  // any order; alphas of at least 0
};

// Resonant alphas number first..last (1-based, increasing, with multiplicity), each bisected
// until its bracket ends; the result is the double of fewest significant digits in the final
// bracket. Requires 1 <= first <= last <= ModeCount(divX, divY). The result does not depend on
// the number of threads.
std::vector<double> FindModes(const ModeSearch& search, std::int32_t first, std::int32_t last);

struct ResonanceInInterval {
    std::int32_t index;  // its number among the resonances a' > 0, from 1
    double alpha;        // a', or -a' for an interval reaching below zero
};

// Every resonant alpha in [a0, a1] (a0 <= a1), in increasing order: a' and, where the interval
// reaches below zero, -a' (only alpha squared enters the matrix).
std::vector<ResonanceInInterval> FindModesIn(const ModeSearch& search, double a0, double a1);
