// The titles of the figures, also written into the files that carry one (the VTK header).
#pragma once

#include <cstdint>
#include <string>

#include "present/NodalField.h"

// Each names the mesh; a scheme other than the standard one is named after it: "20 x 8
// divisions, low-dispersion scheme".

// "W on the membrane: 20 x 8 divisions, alpha 2.5, option on", for a solved field.
std::string SolutionTitle(const NodalField& field, bool option);

// "Largest |W| against alpha: 12 x 5 divisions, option on".
std::string SweepTitle(std::int32_t divX, std::int32_t divY, bool option,
                       Scheme scheme = Scheme::Standard);

// "Mode 3, (kx, ky) = (3, 0), alpha 0.628605665092: 90 x 30 divisions".
std::string ShapeTitle(std::int32_t index, std::int32_t kx, std::int32_t ky, double alpha,
                       std::int32_t divX, std::int32_t divY, Scheme scheme = Scheme::Standard);

// "The 20 lowest mode shapes: 90 x 30 divisions".
std::string ShapesTitle(std::int32_t count, std::int32_t divX, std::int32_t divY,
                        Scheme scheme = Scheme::Standard);
