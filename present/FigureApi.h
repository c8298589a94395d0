// The figures of membrane-solve as the drawing library offers them: a table of functions, each
// turning the data of one figure into the bytes of an image in the format asked for (PNG, PDF or
// SVG), exported under one C name. The
// table and what it takes are standard C++, so a program that never draws needs no graphics
// library to know them; it loads the library only when a figure is asked for.
#pragma once

#include <cctype>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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

// One series of a convergence study: its errors against the mesh size h, both positive. The
// series of one family share a line style, and take their colours in their order within it; a
// study that compares two schemes draws each as a family. Dashed guides of the orders in
// `guides` pass through the series' finest point.
struct StudySeries {
    std::string name;
    std::vector<double> h;
    std::vector<double> error;
    int family = 0;           // 0: solid lines, round marks; 1: dashed lines, square marks
    std::vector<int> guides;  // orders, 1 to 4
};

// A raster image, or a vector figure for reports: the same drawing, its fields as images and the
// rest as lines and text.
enum class FigureFormat : std::uint32_t { Png, Pdf, Svg };

// The format a file name asks for by its extension, ".png", ".pdf" or ".svg" in any case; PNG
// for a name without one (standard output, /dev/stdout, a named pipe); nothing for another.
inline std::optional<FigureFormat> FigureFormatOf(std::string_view file)
{
    const std::size_t slash = file.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return FigureFormat::Png;
    std::string extension;
    for (char c : name.substr(dot + 1))
        extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "png")
        return FigureFormat::Png;
    if (extension == "pdf")
        return FigureFormat::Pdf;
    if (extension == "svg")
        return FigureFormat::Svg;
    return std::nullopt;
}

// Each function returns true with the image in `bytes`, in `format`, or false with the reason
// in `error`.
struct FigureApi {
    std::uint32_t version;  // kFigureApiVersion of the library's build

    // The colour map as the dialog paints it, one cell per node, the block alone.
    bool (*colorMap)(const NodalField& field, FigureFormat format, std::string& bytes,
                     std::string& error);
    // The solution on the domain with axes, colour bar and title (see MapFigure).
    bool (*solutionFigure)(const NodalField& field, const std::string& title,
                           FigureFormat format, std::string& bytes, std::string& error);
    // Largest |W| against alpha on a logarithmic axis, the resonances as thin lines.
    bool (*sweepPlot)(std::span<const CurvePoint> curve, std::span<const ResonanceLine> lines,
                      const std::string& title, FigureFormat format, std::string& bytes,
                      std::string& error);
    // A mode shape in m_W on a diverging scale (see ShapeFigure).
    bool (*shapeFigure)(const NodalField& field, const std::string& title, FigureFormat format,
                        std::string& bytes, std::string& error);
    // Shapes side by side on one scale (see ShapeGallery).
    bool (*shapeGallery)(std::int32_t divX, std::int32_t divY, std::span<const ShapePanel> panels,
                         const std::string& title, FigureFormat format, std::string& bytes,
                         std::string& error);
    // Errors against h on logarithmic axes, with the series' slope guides.
    bool (*studyPlot)(std::span<const StudySeries> series, const std::string& title,
                      FigureFormat format, std::string& bytes, std::string& error);
};

// Changes whenever FigureApi or what its functions take changes, so that a program never calls
// into a library built from other sources.
inline constexpr std::uint32_t kFigureApiVersion = 6;

// The library's one exported function: extern "C" const FigureApi* membrane_figure_api().
inline constexpr const char* kFigureApiSymbol = "membrane_figure_api";
using FigureApiEntry = const FigureApi* (*)();

// One of the table's drawings of a single field: solutionFigure or shapeFigure.
using FieldFigure = bool (*FigureApi::*)(const NodalField&, const std::string&, FigureFormat,
                                         std::string&, std::string&);
