// The figures of membrane-solve as the drawing library offers them: a table of functions, each
// turning the data of one figure into the bytes of a PNG image, exported under one C name. The
// table and what it takes are standard C++, so a program that never draws needs no graphics
// library to know them; it loads the library only when a figure is asked for.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "present/NodalField.h"
#include "solver/Resonance.h"

// One point of a sweep's curve: the largest |W| at alpha (not finite: a gap in the curve).
struct CurvePoint {
    double alpha;
    double maxAbsW;
};

// A resonance line of a sweep's plot: drawn plain where the load excites the resonance, dashed
// where it does not (the command layer's SweepResonanceLines decides which).
struct ResonanceLine {
    double alpha;
    bool excited;
};

// One panel of a gallery of shapes: phi[n] for the nodes n = 1..nNode of the gallery's mesh.
struct ShapePanel {
    std::int32_t index;
    std::int32_t kx;
    std::int32_t ky;
    double alpha;
    const double* phi;
};

// One series of a convergence study: its errors against the mesh size h, both positive.
struct StudySeries {
    std::string name;
    std::vector<double> h;
    std::vector<double> error;
};

// Each function returns true with the PNG in `png`, or false with the reason in `error`.
struct FigureApi {
    std::uint32_t version;  // kFigureApiVersion of the library's build

    // The colour map as the dialog paints it, one cell per node, the block alone.
    bool (*colorMap)(const NodalField& record, std::string& png, std::string& error);
    // The solution on the domain with axes, colour bar and title (see MapFigure).
    bool (*solutionFigure)(const NodalField& record, const std::string& title, std::string& png,
                           std::string& error);
    // Largest |W| against alpha on a logarithmic axis, the resonances as thin lines.
    bool (*sweepPlot)(std::span<const CurvePoint> curve, std::span<const ResonanceLine> lines,
                      const std::string& title, std::string& png, std::string& error);
    // A mode shape in m_W on a diverging scale (see ShapeFigure).
    bool (*shapeFigure)(const NodalField& record, const std::string& title, std::string& png,
                        std::string& error);
    // Shapes side by side on one scale (see ShapeGallery).
    bool (*shapeGallery)(std::int32_t divX, std::int32_t divY, std::span<const ShapePanel> panels,
                         const std::string& title, std::string& png, std::string& error);
    // Errors against h on logarithmic axes, with slope guides for orders 1 and 2.
    bool (*studyPlot)(std::span<const StudySeries> series, const std::string& title,
                      std::string& png, std::string& error);
};

// Changes whenever FigureApi or what its functions take changes, so that a program never calls
// into a library built from other sources.
inline constexpr std::uint32_t kFigureApiVersion = 4;

// The library's one exported function: extern "C" const FigureApi* membrane_figure_api().
inline constexpr const char* kFigureApiSymbol = "membrane_figure_api";
using FigureApiEntry = const FigureApi* (*)();
