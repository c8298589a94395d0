// What --details lists of each resonance, for the batch tool and the Python module alike: its
// number and alpha, the half-waves of its shape, the participation of the load, and the
// continuous membrane's alpha for the same half-waves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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
// The details as --details writes them: the header index,alpha,kx,ky,participation,
// alpha_continuum, then a row each, numbers as the shortest texts that read back the same.
std::string DetailsCsv(const std::vector<ResonanceDetails>& details);

// Where |alpha| lies within a relative 1e-6 of a resonance of the divX x divY mesh, the note that
// names the nearest: its number, its alpha and (kx, ky), from the grid's closed form for the
// element of the scheme. `below`,
// the resonances below |alpha| by the solve's own inertia, must agree with the closed form's
// count; otherwise, and away from every resonance, nothing.
std::optional<std::string> NearResonanceNote(std::int32_t divX, std::int32_t divY, double alpha,
                                             std::int32_t below,
                                             Scheme scheme = Scheme::Standard);
