// The shapes of the resonances: one shape's nodal values in the forms of a single solve
// (--shape K), or a figure of the lowest ones side by side (--shapes N --figure FILE.png).
#include "batch/ToolTasks.h"
#include "batch/ToolSupport.h"
#include "command/LowestResonances.h"
#include "present/FigureTitles.h"
#include "present/ReportText.h"

int RunShapeTask(const ToolOptions& options, const ToolContext& context)
{
    // 1. The mesh and the resonance.
    const std::optional<ResonanceSearch> search = ReadSearch(options, context);
    if (!search)
        return kExitUsage;
    const std::optional<std::int32_t> k =
        ReadResonanceNumber("--shape", options.taskValue, *search, INT32_MAX, context);
    if (!k)
        return kExitUsage;

    // 2. Its shape, the field that the table and the files read.
    ModeShape shape;
    {
        const Progress progress(context, "finding the shape");
        shape = std::move(ResonanceShapes(*search, options.option, *k, *k).front());
    }
    const NodalField field(search->divX, search->divY, shape.alpha, shape.phi.data(),
                           search->scheme);

    // 3. The table, then the files.
    const std::string text =
        BuildTable(field, options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6);
    const std::string title =
        ShapeTitle(shape.index, shape.kx, shape.ky, shape.alpha, search->divX, search->divY,
                   search->scheme);
    // The map is the dialog's, blue to white; the figure's scale is centred on zero.
    if (!WriteStandardOutput(options, context, text) ||
        !WriteFieldFiles(options, context, field, title, &FigureApi::shapeFigure))
        return kExitWriteFailed;
    NoteAccuracy(options, context, search->divX, search->divY, shape.alpha, search->scheme);
    return kExitSolved;
}

int RunShapesTask(const ToolOptions& options, const ToolContext& context)
{
    if (options.figureFile.empty())
        return ReportBadValue(context,
                              "--shapes draws a figure: give its file with --figure FILE.png");
    const std::optional<ResonanceSearch> search = ReadSearch(options, context);
    if (!search)
        return kExitUsage;
    const std::optional<std::int32_t> n =
        ReadResonanceNumber("--shapes", options.taskValue, *search, kMostGalleryShapes, context);
    if (!n)
        return kExitUsage;

    std::vector<ModeShape> shapes;
    {
        const Progress progress(context, "finding the shapes");
        shapes = ResonanceShapes(*search, options.option, 1, *n);
    }
    std::vector<ShapePanel> panels;
    for (const ModeShape& s : shapes)
        panels.push_back({s.index, s.kx, s.ky, s.alpha, s.phi.data()});
    const std::string title = ShapesTitle(*n, search->divX, search->divY, search->scheme);
    return DrawFigure(context, options.figureFile,
                      [&](const FigureApi& api, FigureFormat format, std::string& bytes,
                          std::string& error) {
                          return api.shapeGallery(search->divX, search->divY, panels, title,
                                                  format, bytes, error);
                      })
               ? kExitSolved
               : kExitWriteFailed;
}
