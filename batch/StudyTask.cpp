// The convergence study as CSV: the solution or the resonances on a ladder of meshes against
// the continuum, each with the order it shows against the mesh before.
#include <algorithm>

#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "present/FigureApi.h"

namespace {

// The plot's series of the solution study: the three errors against h.
std::vector<StudySeries> SolutionSeries(const std::vector<SolutionErrors>& rows)
{
    std::vector<StudySeries> series = {
        {"largest nodal error", {}, {}}, {"L2 error", {}, {}}, {"H1-seminorm error", {}, {}}};
    for (const SolutionErrors& e : rows)
        for (auto [s, error] : {std::pair{&series[0], e.maxNodal}, {&series[1], e.l2},
                                {&series[2], e.h1}}) {
            s->h.push_back(e.h);
            s->error.push_back(error);
        }
    return series;
}

// The plot's series of the resonance study: the first six resonances' errors against h.
constexpr std::int32_t kPlottedResonances = 6;

std::vector<StudySeries> ResonanceSeries(const std::vector<ResonanceErrors>& rows)
{
    std::vector<StudySeries> series;
    for (const ResonanceErrors& r : rows) {
        if (r.index > kPlottedResonances)
            continue;
        if (series.size() < static_cast<std::size_t>(r.index))
            series.push_back({"resonance " + std::to_string(r.index) + ", (kx, ky) = (" +
                                  std::to_string(r.kx) + ", " + std::to_string(r.ky) + ")",
                              {}, {}});
        series.back().h.push_back(r.h);
        series.back().error.push_back(r.error);
    }
    return series;
}

// What a study writes: its CSV, and its plot's series and title; `done` once it is computed.
struct StudyWritten {
    bool done = false;
    std::string csv;
    std::vector<StudySeries> series;
    std::string title;
};

// The resonance study of --modes N on the ladder: its status, and what it writes where done.
int StudyTheResonances(const ToolOptions& options, const ToolContext& context,
                       const std::vector<StudyMesh>& ladder, int threads, StudyWritten& written)
{
    const std::optional<std::int32_t> n = ReadStudyResonanceCount(options.taskValue);
    if (!n)
        return ReportBadValue(context, "--modes with --study " +
                                           StudyResonanceCountRefusal(options.taskValue));
    std::vector<ResonanceErrors> rows;
    {
        const Progress progress(context, "study of the resonances");
        rows = StudyResonances(*n, ladder, threads);
    }
    written = {true, StudyResonanceCsv(rows), ResonanceSeries(rows),
               "The lowest resonances against the continuum's"};
    if (const std::optional<std::string> note = MissingResonancesNote(*n, ladder, rows))
        ReportNote(context, "note: " + *note);
    // Not to be expected: the closed form is the grid's own spectrum.
    const auto counted = [](const ResonanceErrors& r) { return r.counted; };
    if (std::all_of(rows.begin(), rows.end(), counted))
        return kExitSolved;
    ReportBadValue(context, "the inertia did not confirm every resonance of the closed form; the "
                            "table is written, to be read with care");
    return kExitUnconfirmed;
}

// The solution study at --alpha on the ladder, the option off: its status, and what it writes.
int StudyTheSolution(const ToolOptions& options, const ToolContext& context,
                     const std::vector<StudyMesh>& ladder, StudyWritten& written)
{
    if (options.option)
        return ReportBadValue(context, "--study compares the solution with the continuum of the "
                                       "option off (--option off): with the peak, the edge values "
                                       "depend on the mesh");
    const std::optional<double> alpha = ReadAlpha(options, context);
    if (!alpha)
        return kExitUsage;
    if (NearContinuumResonance(*alpha))
        return ReportBadValue(context, ContinuumResonanceRefusal(*alpha));
    std::vector<SolutionErrors> rows;
    {
        const Progress progress(context, "study of the solution");
        rows = StudySolution(*alpha, ladder);
    }
    written = {true, StudySolutionCsv(rows), SolutionSeries(rows),
               "The solution at alpha " + Shortest(*alpha) + " against the continuum's"};
    // The table is written as it is, its errors nan where a solve is not finite, and the run
    // ends as such a solve ends.
    if (const std::optional<std::string> note = NonFiniteStudyNote(rows)) {
        ReportNote(context, *note);
        return kExitNonFinite;
    }
    return kExitSolved;
}

}  // namespace

int RunStudyTask(const ToolOptions& options, const ToolContext& context)
{
    std::string error;
    std::vector<StudyMesh> ladder = DefaultLadder();
    if (!options.ladder.empty()) {
        const std::optional<std::vector<StudyMesh>> read = ReadLadder(options.ladder, error);
        if (!read)
            return ReportBadValue(context, "--ladder: " + error);
        ladder = *read;
    }
    const std::optional<int> threads = ReadThreads(options, context);
    if (!threads)
        return kExitUsage;
    if (const std::optional<std::string> large =
            MeshTooLarge(ladder.back().divX, ladder.back().divY, *threads + 1))
        return ReportBadValue(context, *large);

    StudyWritten written;
    const int status = options.task == Task::ResonanceStudy
                           ? StudyTheResonances(options, context, ladder, *threads, written)
                           : StudyTheSolution(options, context, ladder, written);
    if (!written.done)
        return status;
    if (!WriteStandardOutput(options, context, written.csv))
        return kExitWriteFailed;
    if (!options.plotFile.empty() &&
        !DrawFigure(context, options.plotFile,
                    [&](const FigureApi& api, FigureFormat format, std::string& bytes,
                        std::string& error) {
                        return api.studyPlot(written.series, written.title, format, bytes, error);
                    }))
        return kExitWriteFailed;
    return status;
}
