// The convergence study as CSV: the solution or the resonances on a ladder of meshes against
// the continuum, each with the order it shows against the mesh before.
#include <cmath>

#include "batch/ToolSupport.h"
#include "batch/ToolTasks.h"
#include "command/InputConversion.h"
#include "command/RunArguments.h"
#include "command/Study.h"

namespace {

// An order, or nothing where there is none.
std::string Order(double order)
{
    return std::isnan(order) ? std::string() : Shortest(order);
}

// The solution study: one row a mesh.
std::string SolutionCsv(double alpha, const std::vector<StudyMesh>& ladder)
{
    std::string csv = "divx,divy,h,points_per_wavelength,max_nodal_error,l2_error,h1_error,"
                      "order_max_nodal,order_l2,order_h1\n";
    const std::vector<SolutionErrors> rows = StudySolution(alpha, ladder);
    for (const SolutionErrors& e : rows) {
        csv += std::to_string(e.mesh.divX) + ',' + std::to_string(e.mesh.divY) + ',' +
               Shortest(e.h) + ',' + Shortest(e.pointsPerWavelength) + ',' +
               Shortest(e.maxNodal) + ',' + Shortest(e.l2) + ',' + Shortest(e.h1) + ',' +
               Order(e.orderMaxNodal) + ',' + Order(e.orderL2) + ',' + Order(e.orderH1) + '\n';
    }
    return csv;
}

// The resonance study: one row a resonance and mesh. False where the inertia did not confirm a
// closed form.
bool ResonanceCsv(std::int32_t n, const std::vector<StudyMesh>& ladder, int threads,
                  std::string& csv)
{
    csv = "index,kx,ky,divx,divy,h,alpha,alpha_continuum,error,order\n";
    const std::vector<ResonanceErrors> rows = StudyResonances(n, ladder, threads);
    bool confirmed = true;
    for (const ResonanceErrors& r : rows) {
        csv += std::to_string(r.index) + ',' + std::to_string(r.kx) + ',' +
               std::to_string(r.ky) + ',' + std::to_string(r.mesh.divX) + ',' +
               std::to_string(r.mesh.divY) + ',' + Shortest(r.h) + ',' + Shortest(r.alpha) +
               ',' + Shortest(r.continuum) + ',' + Shortest(r.error) + ',' + Order(r.order) +
               '\n';
        confirmed = confirmed && r.counted;
    }
    return confirmed;
}

}  // namespace

int RunStudyTask(const ToolOptions& options, const ToolContext& context)
{
    for (const auto& [given, name] : {std::pair{options.list, "--list"}, {options.exact, "--exact"},
                                      {options.details, "--details"}, {options.lenient, "--lenient"},
                                      {!options.mapFile.empty(), "--map"},
                                      {!options.figureFile.empty(), "--figure"},
                                      {!options.csvFile.empty(), "--csv"},
                                      {!options.vtkFile.empty(), "--vtk"}})
        if (given)
            return ReportBadValue(context, std::string(name) + " does not apply to --study, which "
                                                               "writes its table alone");
    std::string error;
    std::vector<StudyMesh> ladder = DefaultLadder();
    if (!options.ladder.empty()) {
        const std::optional<std::vector<StudyMesh>> read = ReadLadder(options.ladder, error);
        if (!read)
            return ReportBadValue(context, "--ladder: " + error);
        ladder = *read;
    }
    if (const std::optional<std::string> large =
            MeshTooLarge(ladder.back().divX, ladder.back().divY, EveryProcessor() + 1))
        return ReportBadValue(context, *large);

    std::string csv;
    int status = kExitSolved;
    if (options.task == Task::Modes) {
        const std::optional<long long> n = ReadWholeNumber(options.taskValue);
        if (!n || *n < 1 || *n > 1000)
            return ReportBadValue(context, "--modes takes a whole number from 1 to 1000 with "
                                           "--study, not " + QuotedText(options.taskValue));
        if (!ResonanceCsv(static_cast<std::int32_t>(*n), ladder, EveryProcessor(), csv))
            status = ReportBadValue(context, "the inertia did not confirm every resonance of "
                                             "the closed form; the table is written all the same");
    } else {
        if (options.option)
            return ReportBadValue(context, "--study compares the solution with the continuum of "
                                           "the option off (--option off): with the peak, the "
                                           "edge values depend on the mesh");
        const double alpha = ConvertAlpha(options.alpha);
        if (!std::isfinite(alpha))
            return ReportBadValue(context, "--study needs a finite alpha, not " +
                                               QuotedText(options.alpha));
        if (NearContinuumResonance(alpha))
            return ReportBadValue(context, "alpha " + Shortest(alpha) + " lies within 1e-6 of a "
                                           "resonance of the continuum, where sin(15 alpha) = 0: "
                                           "there is no continuum solution to compare with");
        csv = SolutionCsv(alpha, ladder);
    }
    return WriteStandardOutput(options, context, csv) ? status : kExitWriteFailed;
}
