// The convergence study as CSV: the solution or the resonances on a ladder of meshes against
// the continuum, each with the order it shows against the mesh before.
#include <algorithm>

#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "present/FigureApi.h"

namespace {

// The guides of a family's first series: orders 1 and 2 for the standard scheme alone, the
// orders of both schemes' nodal errors and resonances (2 and 4) where they are compared, each
// through its own family.
std::vector<int> Guides(Scheme scheme, bool compared)
{
    if (!compared)
        return scheme == Scheme::Standard ? std::vector<int>{1, 2} : std::vector<int>{2, 4};
    return {scheme == Scheme::Standard ? 2 : 4};
}

// A series' name, with its scheme where two are compared.
std::string SeriesName(std::string name, Scheme scheme, bool compared)
{
    return compared ? name + " (" + std::string(SchemeName(scheme)) + ")" : name;
}

// The plot's series of the solution study: the three errors against h, a family each scheme.
std::vector<StudySeries> SolutionSeries(const std::vector<SolutionErrors>& rows, bool compared)
{
    std::vector<StudySeries> series;
    for (const SolutionErrors& e : rows) {
        const int family = e.scheme == Scheme::Standard ? 0 : 1;
        if (series.empty() || series.back().family != family)
            for (const char* name : {"largest nodal error", "L2 error", "H1-seminorm error"})
                series.push_back({SeriesName(name, e.scheme, compared), {}, {}, family,
                                  series.size() % 3 == 0 ? Guides(e.scheme, compared)
                                                         : std::vector<int>{}});
        StudySeries* three = &series[series.size() - 3];
        for (const double error : {e.maxNodal, e.l2, e.h1}) {
            three->h.push_back(e.h);
            three->error.push_back(error);
            ++three;
        }
    }
    return series;
}

// The plot's series of the resonance study: the first six resonances' errors against h, a
// family each scheme.
constexpr std::int32_t kPlottedResonances = 6;

std::vector<StudySeries> ResonanceSeries(const std::vector<ResonanceErrors>& rows, bool compared)
{
    std::vector<StudySeries> series;
    std::int32_t last = 0;
    for (const ResonanceErrors& r : rows) {
        if (r.index > kPlottedResonances)
            continue;
        const int family = r.scheme == Scheme::Standard ? 0 : 1;
        if (series.empty() || r.index != last || series.back().family != family) {
            const bool first = series.empty() || series.back().family != family;
            series.push_back({SeriesName("resonance " + std::to_string(r.index) +
                                             ", (kx, ky) = (" + std::to_string(r.kx) + ", " +
                                             std::to_string(r.ky) + ")",
                                         r.scheme, compared),
                              {}, {}, family,
                              first ? Guides(r.scheme, compared) : std::vector<int>{}});
            last = r.index;
        }
        series.back().h.push_back(r.h);
        series.back().error.push_back(r.error);
    }
    return series;
}

// What a study's title says of its schemes: nothing of the standard one alone.
std::string SchemesShown(const std::vector<Scheme>& schemes)
{
    if (schemes.size() > 1)
        return ": the standard and the low-dispersion schemes";
    return schemes.front() == Scheme::Standard ? ""
                                               : ": " + std::string(SchemeName(schemes.front())) +
                                                     " scheme";
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
                       const std::vector<StudyMesh>& ladder, const std::vector<Scheme>& schemes,
                       int threads, StudyWritten& written)
{
    const std::optional<std::int32_t> n = ReadStudyResonanceCount(options.taskValue);
    if (!n)
        return ReportBadValue(context, "--modes with --study " +
                                           StudyResonanceCountRefusal(options.taskValue));
    std::vector<ResonanceErrors> rows;
    {
        const Progress progress(context, "study of the resonances");
        rows = StudyResonances(*n, ladder, threads, schemes);
    }
    written = {true, StudyResonanceCsv(rows), ResonanceSeries(rows, schemes.size() > 1),
               "The lowest resonances against the continuum's" + SchemesShown(schemes)};
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
                     const std::vector<StudyMesh>& ladder, const std::vector<Scheme>& schemes,
                     StudyWritten& written)
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
        rows = StudySolution(*alpha, ladder, schemes);
    }
    written = {true, StudySolutionCsv(rows), SolutionSeries(rows, schemes.size() > 1),
               "The solution at alpha " + Shortest(*alpha) + " against the continuum's" +
                   SchemesShown(schemes)};
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
    const std::optional<std::vector<Scheme>> schemes =
        ReadStudySchemes(options.scheme.empty() ? SchemeName(Scheme::Standard) : options.scheme);
    if (!schemes)
        return ReportBadValue(context,
                              "--scheme with --study " + StudySchemeRefusal(options.scheme));
    const std::optional<int> threads = ReadThreads(options, context);
    if (!threads)
        return kExitUsage;
    if (const std::optional<std::string> large =
            MeshTooLarge(ladder.back().divX, ladder.back().divY, *threads + 1))
        return ReportBadValue(context, *large);

    StudyWritten written;
    const int status = options.task == Task::ResonanceStudy
                           ? StudyTheResonances(options, context, ladder, *schemes, *threads,
                                                written)
                           : StudyTheSolution(options, context, ladder, *schemes, written);
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
