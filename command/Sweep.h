// A frequency sweep: full solves of one mesh at equally spaced alphas, each with exactly the
// operations of a single computation, and what each one says about resonance.
#pragma once

#include <cstdint>
#include <vector>

#include "present/FigureApi.h"
#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"
#include "solver/Resonance.h"

struct SweepMesh {
    std::int32_t divX;  // at least 1
    std::int32_t divY;  // at least 1
    bool option;        // the raised centre peak on the left edge
};

struct SweepPoint {
    double alpha;
    double maxAbsW;               // largest |W(n)|; NaN when some value is NaN
    std::int32_t modesBelow;      // resonant a' with 0 < a' < |alpha|, with multiplicity
    std::int32_t firstZeroPivot;  // first row whose pivot is zero or not finite; 0 when none
};

// What a record just solved says of its alpha: the largest |W|, the resonances below |alpha|
// (counted just above alpha where a pivot vanished) and the first bad pivot.
SweepPoint DescribeSolution(const MembraneModel& record);
SweepPoint DescribeSolution(const SizedRecord& record);

// Point i of n >= 2 from a0 to a1: a0 at i = 0, a1 at i = n - 1 exactly, evenly between.
double SweepAlpha(double a0, double a1, std::int64_t n, std::int64_t i);

// Points first .. first + count - 1 of the sweep, on `threads` threads (at least 1); every
// point is independent of the others, so the result does not depend on their number.
std::vector<SweepPoint> RunSweep(const SweepMesh& mesh, double a0, double a1, std::int64_t n,
                                 std::int64_t first, std::int64_t count, int threads);

// The lines of a sweep's plot from a0 to a1: every resonance of the interval to the plot's
// resolution, found with the sweep's own counts for brackets, each excited where its
// participation reaches 1e-9 of the largest in the interval, and 1e-12 at least: where the load
// reaches none of them, the largest is rounding.
std::vector<ResonanceLine> SweepResonanceLines(const ResonanceSearch& search, bool option,
                                               double a0, double a1,
                                               const std::vector<SweepPoint>& points);
