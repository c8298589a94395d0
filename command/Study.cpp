// The convergence study: solutions and resonances on a ladder of meshes against the continuum.
#include "command/Study.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/RunArguments.h"
#include "present/ReportText.h"
#include "solver/Convergence.h"
#include "solver/MembraneModel.h"
#include "solver/Resonance.h"
#include "solver/SeparableModes.h"
#include "solver/SizedRecord.h"
#include "solver/WorkThreads.h"

namespace {

constexpr double kLenX = MembraneModel::kLenX;
constexpr double kLenY = MembraneModel::kLenY;

}  // namespace

std::vector<StudyMesh> DefaultLadder()
{
    std::string error;
    return *ReadLadder(kDefaultLadderText, error);
}

std::optional<std::int32_t> ReadStudyResonanceCount(std::string_view text)
{
    const std::optional<long long> n = ReadWholeNumber(text);
    if (!n || *n < 1 || *n > kMostStudyResonances)
        return std::nullopt;
    return static_cast<std::int32_t>(*n);
}

std::string StudyResonanceCountRefusal(std::string_view text)
{
    return "takes a whole number from 1 to " + std::to_string(kMostStudyResonances) + ", not " +
           QuotedText(text);
}

std::optional<std::vector<StudyMesh>> ReadLadder(std::string_view text, std::string& error)
{
    std::vector<StudyMesh> ladder;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        const std::size_t x = item.find('x');
        long long divX = 0, divY = 0;
        const auto whole = [](std::string_view digits, long long& n) {
            if (digits.empty() || digits.size() > 9)
                return false;
            n = 0;
            for (char c : digits) {
                if (c < '0' || c > '9')
                    return false;
                n = n * 10 + (c - '0');
            }
            return n >= 1;
        };
        if (x == std::string_view::npos || !whole(item.substr(0, x), divX) ||
            !whole(item.substr(x + 1), divY)) {
            error = "a mesh of the ladder is DIVXxDIVY, both at least 1, not " + QuotedText(item);
            return std::nullopt;
        }
        if (!ladder.empty() && (divX <= ladder.back().divX || divY <= ladder.back().divY)) {
            error = "each mesh of the ladder must be finer than the one before in both "
                    "directions, not " + QuotedText(item);
            return std::nullopt;
        }
        ladder.push_back({static_cast<std::int32_t>(divX), static_cast<std::int32_t>(divY)});
        start = comma + 1;
    }
    if (ladder.size() < 2) {
        error = "the ladder needs two meshes at least, to show an order";
        return std::nullopt;
    }
    return ladder;
}

bool NearContinuumResonance(double alpha)
{
    const double k = std::round(kLenX * alpha / std::numbers::pi);
    return k != 0.0 && std::fabs(alpha - k * std::numbers::pi / kLenX) <= 1e-6 * std::fabs(alpha);
}

std::string ContinuumResonanceRefusal(double alpha)
{
    return "alpha " + Shortest(alpha) + " lies within 1e-6 of a resonance of the continuum, where "
           "sin(15 alpha) = 0: there is no continuum solution to compare with";
}

std::optional<std::vector<Scheme>> ReadStudySchemes(std::string_view name)
{
    if (name == "both")
        return std::vector<Scheme>{Scheme::Standard, Scheme::LowDispersion};
    if (const std::optional<Scheme> scheme = ReadScheme(name))
        return std::vector<Scheme>{*scheme};
    return std::nullopt;
}

std::string StudySchemeRefusal(std::string_view name)
{
    return "takes " + std::string(kStudySchemeNames) + ", not " + QuotedText(name);
}

std::vector<SolutionErrors> StudySolution(double alpha, const std::vector<StudyMesh>& ladder,
                                          Scheme scheme)
{
    const ContinuumSolution exact{alpha};
    ConvergenceTable table;
    std::vector<bool> finite;
    for (const StudyMesh& mesh : ladder) {
        const auto record = std::make_unique<SizedRecord>(mesh.divX, mesh.divY);
        record->m_dAlpha = alpha;
        record->m_bOption = 0;
        record->m_scheme = scheme;
        SolveRecord(*record);
        const FieldErrors e = ErrorsAgainstContinuum(mesh, record->m_W, exact);
        table.Add(0, MeshSize(mesh), {e.maxNodal, e.l2, e.h1});
        finite.push_back(std::all_of(record->m_W + 1, record->m_W + record->m_nNode + 1,
                                     [](double v) { return std::isfinite(v); }));
    }
    table.EvaluateOrders();
    std::vector<SolutionErrors> rows;
    for (std::size_t k = 0; k < ladder.size(); ++k) {
        const ConvergenceTable::Row& r = table.Rows()[k];
        rows.push_back({ladder[k], r.h, PointsPerWavelength(ladder[k], alpha), r.errors[0],
                        r.errors[1], r.errors[2], r.orders[0], r.orders[1], r.orders[2],
                        finite[k], scheme});
    }
    return rows;
}

std::vector<SolutionErrors> StudySolution(double alpha, const std::vector<StudyMesh>& ladder,
                                          const std::vector<Scheme>& schemes)
{
    std::vector<SolutionErrors> rows;
    for (const Scheme scheme : schemes) {
        const std::vector<SolutionErrors> some = StudySolution(alpha, ladder, scheme);
        rows.insert(rows.end(), some.begin(), some.end());
    }
    return rows;
}

std::vector<ResonanceErrors> StudyResonances(std::int32_t n, const std::vector<StudyMesh>& ladder,
                                             int threads, const std::vector<Scheme>& schemes)
{
    std::vector<ResonanceErrors> rows;
    for (const Scheme scheme : schemes) {
        const std::vector<ResonanceErrors> some = StudyResonances(n, ladder, threads, scheme);
        rows.insert(rows.end(), some.begin(), some.end());
    }
    return rows;
}

std::optional<std::string> MissingResonancesNote(std::int32_t n,
                                                 const std::vector<StudyMesh>& ladder,
                                                 const std::vector<ResonanceErrors>& rows)
{
    std::vector<std::string> counts;
    bool missing = false;
    for (const StudyMesh& mesh : ladder) {
        const auto has = std::count_if(rows.begin(), rows.end(), [&](const ResonanceErrors& r) {
            return r.mesh.divX == mesh.divX && r.mesh.divY == mesh.divY &&
                   r.scheme == rows.front().scheme;
        });
        missing = missing || has < n;
        counts.push_back(std::to_string(has));
    }
    if (!missing)
        return std::nullopt;
    std::string text = "of the " + std::to_string(n) + " lowest resonances of the continuum, ";
    for (std::size_t k = 0; k < ladder.size(); ++k) {
        if (k > 0)
            text += k + 1 == ladder.size() ? " and " : ", ";
        text += "the " + std::to_string(ladder[k].divX) + " x " +
                std::to_string(ladder[k].divY) + " mesh " + (k == 0 ? "has " : "") + counts[k];
    }
    return text + "; the table lists those";
}

std::optional<std::string> NonFiniteStudyNote(const std::vector<SolutionErrors>& rows)
{
    std::string meshes;
    std::size_t count = 0;
    std::vector<StudyMesh> named;
    for (const SolutionErrors& r : rows)
        if (!r.finite && std::none_of(named.begin(), named.end(), [&](const StudyMesh& m) {
                return m.divX == r.mesh.divX && m.divY == r.mesh.divY;
            })) {
            named.push_back(r.mesh);
            meshes += (count++ ? ", " : "") + std::to_string(r.mesh.divX) + " x " +
                      std::to_string(r.mesh.divY);
        }
    if (count == 0)
        return std::nullopt;
    return std::string(count == 1 ? "the solve of the " + meshes + " mesh is" :
                                    "the solves of the " + meshes + " meshes are") +
           " not finite, and so are " + (count == 1 ? "its" : "their") + " errors";
}

std::vector<ResonanceErrors> StudyResonances(std::int32_t n, const std::vector<StudyMesh>& ladder,
                                             int threads, Scheme scheme)
{
    const std::vector<ContinuumMode> modes = LowestContinuumModes(n);
    std::vector<ResonanceErrors> rows;
    ConvergenceTable table;
    for (std::size_t k = 0; k < modes.size(); ++k)
        for (const StudyMesh& mesh : ladder)
            if (modes[k].kx < mesh.divX && modes[k].ky <= mesh.divY) {
                const double alpha =
                    SeparableResonance(mesh.divX, mesh.divY, modes[k].kx, modes[k].ky, scheme);
                const double error = std::fabs(alpha - modes[k].alpha);
                const auto index = static_cast<std::int32_t>(k + 1);
                table.Add(index, MeshSize(mesh), {error});
                rows.push_back({index, modes[k].kx, modes[k].ky, modes[k].alpha, mesh,
                                MeshSize(mesh), alpha, error, NAN, false, scheme});
            }
    table.EvaluateOrders();
    for (std::size_t k = 0; k < rows.size(); ++k)
        rows[k].order = table.Rows()[k].orders[0];
    // The solver's own inertia: a resonance lies within 1e-9 of each closed form.
    for (const StudyMesh& mesh : ladder) {
        std::vector<ResonanceErrors*> ofMesh;
        for (ResonanceErrors& r : rows)
            if (r.mesh.divX == mesh.divX && r.mesh.divY == mesh.divY)
                ofMesh.push_back(&r);
        OnThreads(threads, ofMesh.size(), [&](int t) {
            ResonanceCounter counter(mesh.divX, mesh.divY, scheme);
            for (std::size_t i = t; i < ofMesh.size(); i += threads) {
                ResonanceErrors& r = *ofMesh[i];
                r.counted = counter.CountBelow(r.alpha * (1.0 + 1e-9)).below >
                            counter.CountBelow(r.alpha * (1.0 - 1e-9)).below;
            }
        });
    }
    return rows;
}

Dispersion DispersionOf(const StudyMesh& mesh, double alpha, Scheme scheme)
{
    const double a = std::fabs(alpha), h = MeshSize(mesh);
    const double fine = LargestResolvedStep(0.01, scheme) / a;  // the largest element under 1%
    const auto divisions = [&](double length) {
        return static_cast<std::int32_t>(std::min(std::ceil(length / fine), 2e9));
    };
    return {PointsPerWavelength(mesh, alpha), PhaseError(a * h, scheme),
            {std::max(mesh.divX, divisions(kLenX)), std::max(mesh.divY, divisions(kLenY))}};
}

namespace {

// "the discrete wave's phase is off by 2.7% a wavelength", or that no wave propagates.
std::string PhaseErrorText(double phaseError)
{
    if (!std::isfinite(phaseError))
        return "no discrete wave propagates at all";
    char text[96];
    std::snprintf(text, sizeof text, "the discrete wave's phase is off by %.2g%% a wavelength",
                  100.0 * phaseError);
    return text;
}

// "a 152 x 51 mesh brings that under 1%", or that the mesh needs none finer.
std::string FineEnoughText(const Dispersion& d)
{
    if (d.phaseError < 0.01)
        return "that is under 1% already";
    if (!SizedRecordBytes(d.fineEnough.divX, d.fineEnough.divY))
        return "no mesh a record can number brings that under 1%";
    char text[96];
    std::snprintf(text, sizeof text, "a %d x %d mesh brings that under 1%%", d.fineEnough.divX,
                  d.fineEnough.divY);
    return text;
}

}  // namespace

std::optional<std::string> AccuracyNote(const StudyMesh& mesh, double alpha, Scheme scheme)
{
    if (!std::isfinite(alpha) || alpha == 0.0)
        return std::nullopt;
    const Dispersion d = DispersionOf(mesh, alpha, scheme);
    if (d.pointsPerWavelength >= kFewPointsPerWavelength)
        return std::nullopt;
    char head[160];
    std::snprintf(head, sizeof head,
                  "note: %.3g points per wavelength on the %d x %d mesh at alpha %.6g",
                  d.pointsPerWavelength, mesh.divX, mesh.divY, alpha);
    std::string note = head;
    if (scheme != Scheme::Standard)
        (note += " with the ") += std::string(SchemeName(scheme)) + " scheme";
    note += ": " + PhaseErrorText(d.phaseError) + "; " + FineEnoughText(d);
    if (scheme == Scheme::Standard) {
        const double other = PhaseError(std::fabs(alpha) * MeshSize(mesh), Scheme::LowDispersion);
        char text[96] = "; the low-dispersion scheme has no discrete wave on this mesh";
        if (std::isfinite(other))
            std::snprintf(text, sizeof text, "; the low-dispersion scheme's is off by %.2g%% on "
                          "this mesh", 100.0 * other);
        note += text;
    }
    return note;
}

namespace {

// An order, or nothing where there is none.
std::string Order(double order)
{
    return std::isnan(order) ? std::string() : Shortest(order);
}

// The column "scheme" of a study's rows, where some row is of another scheme than the standard
// one: its header or a row's cell, each after a comma; nothing otherwise.
template <class Row>
class SchemeColumn {
public:
    explicit SchemeColumn(const std::vector<Row>& rows)
        : m_shown(std::any_of(rows.begin(), rows.end(),
                              [](const Row& r) { return r.scheme != Scheme::Standard; }))
    {
    }
    std::string Header() const { return m_shown ? ",scheme" : ""; }
    std::string Cell(const Row& r) const
    {
        return m_shown ? ',' + std::string(SchemeName(r.scheme)) : std::string();
    }

private:
    bool m_shown;
};

}  // namespace

std::string StudySolutionCsv(const std::vector<SolutionErrors>& rows)
{
    const SchemeColumn column(rows);
    std::string csv = "divx,divy,h,points_per_wavelength,max_nodal_error,l2_error,h1_error,"
                      "order_max_nodal,order_l2,order_h1" + column.Header() + '\n';
    for (const SolutionErrors& e : rows)
        csv += std::to_string(e.mesh.divX) + ',' + std::to_string(e.mesh.divY) + ',' +
               Shortest(e.h) + ',' + Shortest(e.pointsPerWavelength) + ',' +
               Shortest(e.maxNodal) + ',' + Shortest(e.l2) + ',' + Shortest(e.h1) + ',' +
               Order(e.orderMaxNodal) + ',' + Order(e.orderL2) + ',' + Order(e.orderH1) +
               column.Cell(e) + '\n';
    return csv;
}

std::string StudyResonanceCsv(const std::vector<ResonanceErrors>& rows)
{
    const SchemeColumn column(rows);
    std::string csv = "index,kx,ky,divx,divy,h,alpha,alpha_continuum,error,order" +
                      column.Header() + '\n';
    for (const ResonanceErrors& r : rows)
        csv += std::to_string(r.index) + ',' + std::to_string(r.kx) + ',' +
               std::to_string(r.ky) + ',' + std::to_string(r.mesh.divX) + ',' +
               std::to_string(r.mesh.divY) + ',' + Shortest(r.h) + ',' + Shortest(r.alpha) +
               ',' + Shortest(r.continuum) + ',' + Shortest(r.error) + ',' + Order(r.order) +
               column.Cell(r) + '\n';
    return csv;
}
