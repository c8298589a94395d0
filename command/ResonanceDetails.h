// What --details lists of each resonance, for the batch tool and the Python module alike: its
// number and alpha, the half-waves of its shape, the participation of the load, and the
// continuous membrane's alpha for the same half-waves.
#pragma once

#include <cstdint>
#include <vector>

#include "solver/Resonance.h"

struct ResonanceDetails {
    std::int32_t index;
    double alpha;  // as listed: -a' for a resonance listed below zero
    std::int32_t kx;
    std::int32_t ky;
    double participation;
    double alphaContinuum;  // with the sign of alpha
};

// The listed resonances' details, their shapes found once for the whole span of their numbers
// with the load of the option. A resonance listed at -a' has the shape of a'.
std::vector<ResonanceDetails> DescribeResonances(const ResonanceSearch& search, bool option,
                                                 const std::vector<NumberedResonance>& listed);
