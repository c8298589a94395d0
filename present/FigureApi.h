// The figures of membrane-solve as the drawing library offers them: a table of functions, each
// turning the data of one figure into the bytes of a PNG image, exported under one C name. The
// table and what it takes are standard C++, so a program that never draws needs no graphics
// library to know them; it loads the library only when a figure is asked for.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "solver/MembraneModel.h"
#include "solver/Resonance.h"

// One point of a sweep's curve: the largest |W| at alpha (not finite: a gap in the curve).
struct CurvePoint {
    double alpha;
    double maxAbsW;
};

// Each function returns true with the PNG in `png`, or false with the reason in `error`.
struct FigureApi {
    std::uint32_t version;  // kFigureApiVersion of the library's build

    // The colour map as the dialog paints it, one cell per node, the block alone.
    bool (*colorMap)(const MembraneModel& model, std::string& png, std::string& error);
    // The solution on the domain with axes, colour bar and title (see MapFigure).
    bool (*solutionFigure)(const MembraneModel& model, const std::string& title, std::string& png,
                           std::string& error);
    // Largest |W| against alpha on a logarithmic axis, the resonances as thin lines.
    bool (*sweepPlot)(std::span<const CurvePoint> curve,
                      std::span<const ResonanceInInterval> resonances, const std::string& title,
                      std::string& png, std::string& error);
};

// Changes whenever FigureApi or what its functions take changes, so that a program never calls
// into a library built from other sources.
inline constexpr std::uint32_t kFigureApiVersion = 1;

// The library's one exported function: extern "C" const FigureApi* membrane_figure_api().
inline constexpr const char* kFigureApiSymbol = "membrane_figure_api";
using FigureApiEntry = const FigureApi* (*)();
