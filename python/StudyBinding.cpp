// study(): how close the mesh comes to the membrane itself, as membrane-solve --study finds it,
// as a structured array.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Arguments.h"
#include "Bindings.h"
#include "command/RunArguments.h"
#include "command/Study.h"

namespace {

// One row of the solution study; the member names are its field names.
struct SolutionRow {
    std::int32_t divx, divy;
    double h, points_per_wavelength, max_nodal_error, l2_error, h1_error;
    double order_max_nodal, order_l2, order_h1;
};

// One row of the resonance study; the member names are its field names.
struct ResonanceRow {
    std::int32_t index, kx, ky, divx, divy;
    double h, alpha, alpha_continuum, error, order;
};

std::vector<StudyMesh> ReadStudyLadder(const std::optional<std::vector<std::pair<long long, long long>>>& given)
{
    if (!given)
        return DefaultLadder();
    std::string text;
    for (const auto& [divx, divy] : *given)
        text += (text.empty() ? "" : ",") + std::to_string(divx) + "x" + std::to_string(divy);
    std::string error;
    const std::optional<std::vector<StudyMesh>> ladder = ReadLadder(text, error);
    if (!ladder)
        throw py::value_error("ladder: " + error);
    if (const std::optional<std::string> large =
            MeshTooLarge(ladder->back().divX, ladder->back().divY, EveryProcessor() + 1))
        throw py::value_error(*large);
    return *ladder;
}

// The rows with a field "scheme" after the others, where some row is of another scheme than the
// standard one, as membrane-solve --study ends its table in a column "scheme"; the rows as they
// are otherwise.
template <class Errors>
py::array WithSchemes(py::array rows, const std::vector<Errors>& errors)
{
    if (std::all_of(errors.begin(), errors.end(),
                    [](const Errors& e) { return e.scheme == Scheme::Standard; }))
        return rows;
    const py::module_ numpy = py::module_::import("numpy");
    py::list fields = rows.dtype().attr("descr");
    fields.append(py::make_tuple("scheme", "U14"));
    py::array out = numpy.attr("empty")(rows.size(), numpy.attr("dtype")(fields));
    for (const py::handle name : rows.dtype().attr("names"))
        out[name] = rows[name];
    py::list names;
    for (const Errors& e : errors)
        names.append(py::str(std::string(SchemeName(e.scheme))));
    out[py::str("scheme")] = names;
    return out;
}

py::array SolutionStudy(double alpha, const std::vector<StudyMesh>& ladder,
                        const std::vector<Scheme>& schemes)
{
    if (!std::isfinite(alpha))
        throw py::value_error("alpha must be finite");
    if (NearContinuumResonance(alpha))
        throw py::value_error(ContinuumResonanceRefusal(alpha));
    std::vector<SolutionErrors> rows;
    {
        const py::gil_scoped_release release;
        rows = StudySolution(alpha, ladder, schemes);
    }
    if (const std::optional<std::string> note = NonFiniteStudyNote(rows))
        if (PyErr_WarnEx(PyExc_RuntimeWarning, note->c_str(), 1) != 0)
            throw py::error_already_set();
    py::array_t<SolutionRow> out(static_cast<py::ssize_t>(rows.size()));
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const SolutionErrors& e = rows[k];
        out.mutable_at(static_cast<py::ssize_t>(k)) = {
            e.mesh.divX, e.mesh.divY, e.h,      e.pointsPerWavelength, e.maxNodal,
            e.l2,        e.h1,        e.orderMaxNodal, e.orderL2,      e.orderH1};
    }
    return WithSchemes(out, rows);
}

py::array ResonanceStudy(const CountArgument& modes, const std::vector<StudyMesh>& ladder,
                         int threads, const std::vector<Scheme>& schemes)
{
    const std::int32_t n = ReadCount(modes, "modes", kMostStudyResonances);
    std::vector<ResonanceErrors> rows;
    {
        const py::gil_scoped_release release;
        rows = StudyResonances(n, ladder, threads, schemes);
    }
    if (const std::optional<std::string> note = MissingResonancesNote(n, ladder, rows))
        if (PyErr_WarnEx(PyExc_UserWarning, note->c_str(), 1) != 0)
            throw py::error_already_set();
    py::array_t<ResonanceRow> out(static_cast<py::ssize_t>(rows.size()));
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const ResonanceErrors& r = rows[k];
        out.mutable_at(static_cast<py::ssize_t>(k)) = {
            r.index, r.kx, r.ky, r.mesh.divX, r.mesh.divY, r.h, r.alpha, r.continuum,
            r.error, r.order};
    }
    return WithSchemes(out, rows);
}

py::array Study(const std::optional<RealArgument>& alpha, const std::optional<CountArgument>& modes,
                const std::optional<std::vector<std::pair<long long, long long>>>& ladder,
                const std::optional<long long>& threads, const TextArgument& scheme)
{
    if (alpha.has_value() == modes.has_value())
        throw py::value_error("study takes alpha (the solution) or modes (the resonances), "
                              "one of them");
    const std::vector<StudyMesh> meshes = ReadStudyLadder(ladder);
    const std::vector<Scheme> schemes = ReadStudySchemes(scheme);
    if (alpha)
        return SolutionStudy(ReadReal(*alpha, "alpha"), meshes, schemes);
    const int count = threads ? static_cast<int>(*threads) : EveryProcessor();
    if (!ThreadsAccepted(count))
        throw py::value_error("threads must be from 1 to " + std::to_string(kMostThreads));
    return ResonanceStudy(*modes, meshes, count, schemes);
}

constexpr const char* kStudyDoc = R"(How close the mesh comes to the membrane itself, on a ladder of ever finer meshes.

With alpha: the solution with the option off, whose continuum is
sin(alpha (15 - x)) / sin(15 alpha), on every mesh. With modes: the n lowest resonances of the
continuum, pi sqrt((kx/15)^2 + (ky/5)^2), and the mesh's resonance with the same half-waves on
every mesh, confirmed by the solver's inertia. The same table as membrane-solve --study.

Parameters
----------
alpha : float, optional
    The solution study at this alpha, finite, away from the continuum's resonances.
modes : int, optional
    The resonance study of this many resonances, 1 to 1000.
ladder : list of (int, int), optional
    The meshes (divx, divy), each finer than the last in both directions. Default
    [(15, 5), (30, 10), (60, 20), (120, 40), (240, 80)].
threads : int, optional
    Threads for the resonance study. Default: every processor.
scheme : str, optional
    The element's scheme, "standard" (the default) or "low-dispersion" (see solve()), or
    "both": the rows of the standard scheme, then those of the low-dispersion one on the same
    ladder, each with its own orders.

Returns
-------
ndarray, structured
    With alpha, one row a mesh: divx, divy, h (the larger side of an element),
    points_per_wavelength (2 pi / (alpha h)), max_nodal_error, l2_error, h1_error (the
    seminorm), order_max_nodal, order_l2, order_h1 (against the mesh before; NaN on the first).
    With modes, one row a resonance and mesh: index, kx, ky, divx, divy, h, alpha,
    alpha_continuum, error, order. With a scheme other than the standard one alone, each row
    ends in a field scheme, its name, as membrane-solve --study ends its table.

Examples
--------
>>> rows = membrane.study(0.5, ladder=[(60, 20), (120, 40), (240, 80)])
>>> [round(order, 3) for order in rows["order_l2"][1:]]
[1.999, 2.0]
)";

}  // namespace

void BindStudy(py::module_& m)
{
    PYBIND11_NUMPY_DTYPE(SolutionRow, divx, divy, h, points_per_wavelength, max_nodal_error,
                         l2_error, h1_error, order_max_nodal, order_l2, order_h1);
    PYBIND11_NUMPY_DTYPE(ResonanceRow, index, kx, ky, divx, divy, h, alpha, alpha_continuum,
                         error, order);
    m.def("study", &Study, py::arg("alpha") = py::none(), py::kw_only(),
          py::arg("modes") = py::none(), py::arg("ladder") = py::none(),
          py::arg("threads") = py::none(), py::arg("scheme") = kStandardScheme, kStudyDoc);
}
