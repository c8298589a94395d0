// The titles of the figures, also written into the files that carry one (the VTK header).
#pragma once

#include <cstdint>
#include <string>

#include "solver/MembraneModel.h"

// "W on the membrane: 20 x 8 divisions, alpha 2.5, option on", for a solved record.
std::string SolutionTitle(const MembraneModel& model, bool option);

// "Largest |W| against alpha: 12 x 5 divisions, option on".
std::string SweepTitle(std::int32_t divX, std::int32_t divY, bool option);
