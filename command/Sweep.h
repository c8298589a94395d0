// A frequency sweep: full solves of one mesh at equally spaced alphas, each with exactly the
// operations of a single computation, and what each one says about resonance.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "present/FigureApi.h"
#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"
#include "solver/Resonance.h"

struct SweepMesh {
    std::int32_t divX;  // at least 1
    std::int32_t divY;  // at least 1
    bool option;        // the raised centre peak on the left edge
    Scheme scheme = Scheme::Standard;  // where the element's integrals are evaluated
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
// The same of a record solved in any form, from the inertia of the factors that solved it.
SweepPoint DescribeSolution(const MembraneModel& record, const BandInertia& inertia);
SweepPoint DescribeSolution(const SizedRecord& record, const BandInertia& inertia);

// The points of a sweep, from 2 to a million: a fine sweep of any mesh, where a typo of a few
// more digits would run for hours.
inline constexpr std::int64_t kFewestSweepPoints = 2;
inline constexpr std::int64_t kMostSweepPoints = 1'000'000;
// The N of "A0:A1:N", within those bounds; nothing for any other text.
std::optional<std::int64_t> ReadSweepCount(std::string_view text);
// Why a count was refused, after the name of what refuses it: "takes N as a whole number from
// 2 to 1000000, not 'x'".
std::string SweepCountRefusal(std::string_view text);

// The CSV of a sweep: its header line, and one row a point, each line ended.
inline constexpr std::string_view kSweepCsvHeader =
    "alpha,max_abs_w,modes_below,first_zero_pivot\n";
std::string SweepCsvRow(const SweepPoint& point);

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
