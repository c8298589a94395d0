// modes(), modes_in() and sweep(): the resonances of a mesh and full solves over alpha, as
// membrane-solve --modes, --modes-in (with --details) and --sweep give them.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <vector>

#include "Arguments.h"
#include "Bindings.h"
#include "command/LowestResonances.h"
#include "command/ResonanceDetails.h"
#include "command/RunArguments.h"
#include "command/Sweep.h"

namespace {

// One row of the details' structured array; the member names are its field names.
struct DetailsRow {
    std::int32_t index;
    double alpha;
    std::int32_t kx;
    std::int32_t ky;
    double participation;
    double alpha_continuum;
};

// One row of sweep()'s structured array; the member names are its field names.
struct SweepRow {
    double alpha;
    double max_abs_w;
    std::int32_t modes_below;
    std::int32_t first_zero_pivot;
};

py::array_t<DetailsRow> Details(const ResonanceSearch& search, bool option,
                                const std::vector<NumberedResonance>& listed)
{
    std::vector<ResonanceDetails> details;
    {
        const py::gil_scoped_release release;
        details = DescribeResonances(search, option, listed);
    }
    py::array_t<DetailsRow> rows(static_cast<py::ssize_t>(details.size()));
    for (std::size_t k = 0; k < details.size(); ++k) {
        const ResonanceDetails& d = details[k];
        rows.mutable_at(static_cast<py::ssize_t>(k)) = {d.index, d.alpha, d.kx, d.ky,
                                                        d.participation, d.alphaContinuum};
    }
    return rows;
}

py::array Modes(const CountArgument& divx, const CountArgument& divy, const CountArgument& n,
                const FlagArgument& detailsArgument, const FlagArgument& optionArgument,
                const std::optional<long long>& threads, const TextArgument& scheme)
{
    const bool details = ReadFlag(detailsArgument, "details");
    const bool option = ReadFlag(optionArgument, "option");
    const ResonanceSearch search = ReadSearch(divx, divy, threads, scheme);
    const std::int32_t count = ReadResonanceCount(search, n, "n");
    std::vector<double> alphas;
    {
        const py::gil_scoped_release release;
        alphas = LowestResonances(search, count);
    }
    if (details) {
        std::vector<NumberedResonance> listed;
        for (std::size_t k = 0; k < alphas.size(); ++k)
            listed.push_back({static_cast<std::int32_t>(k + 1), alphas[k]});
        return Details(search, option, listed);
    }
    return py::array_t<double>(static_cast<py::ssize_t>(alphas.size()), alphas.data());
}

py::object ModesIn(const CountArgument& divx, const CountArgument& divy, const RealArgument& from,
                   const RealArgument& to, const FlagArgument& returnIndexArgument,
                   const FlagArgument& detailsArgument, const FlagArgument& optionArgument,
                   const std::optional<long long>& threads, const TextArgument& scheme)
{
    const double a0 = ReadReal(from, "a0"), a1 = ReadReal(to, "a1");
    const bool returnIndex = ReadFlag(returnIndexArgument, "return_index");
    const bool details = ReadFlag(detailsArgument, "details");
    const bool option = ReadFlag(optionArgument, "option");
    const ResonanceSearch search = ReadSearch(divx, divy, threads, scheme);
    ReadInterval(a0, a1);
    std::vector<NumberedResonance> found;
    {
        const py::gil_scoped_release release;
        found = FindResonancesIn(search, a0, a1);
    }
    if (details)
        return Details(search, option, found);
    const auto size = static_cast<py::ssize_t>(found.size());
    py::array_t<double> alphas(size);
    py::array_t<std::int32_t> index(size);
    for (py::ssize_t k = 0; k < size; ++k) {
        alphas.mutable_at(k) = found[k].alpha;
        index.mutable_at(k) = found[k].index;
    }
    if (returnIndex)
        return py::make_tuple(index, alphas);
    return alphas;
}

py::array Sweep(const CountArgument& divx, const CountArgument& divy, const RealArgument& from,
                const RealArgument& to, const CountArgument& n, const FlagArgument& optionArgument,
                const std::optional<long long>& threads, const TextArgument& scheme)
{
    const double a0 = ReadReal(from, "a0"), a1 = ReadReal(to, "a1");
    const bool option = ReadFlag(optionArgument, "option");
    const ResonanceSearch search = ReadSearch(divx, divy, threads, scheme);
    ReadInterval(a0, a1);
    const std::int32_t points = ReadCount(n, "n", kMostSweepPoints);
    if (points < kFewestSweepPoints)
        throw py::value_error("n must be at least 2, not 1");
    std::vector<SweepPoint> swept;
    {
        const py::gil_scoped_release release;
        swept = RunSweep({search.divX, search.divY, option, search.scheme}, a0, a1, points, 0,
                         points,
                         search.threads);
    }
    py::array_t<SweepRow> rows(points);
    for (std::int32_t k = 0; k < points; ++k)
        rows.mutable_at(k) = {swept[k].alpha, swept[k].maxAbsW, swept[k].modesBelow,
                              swept[k].firstZeroPivot};
    return rows;
}

constexpr const char* kModesDoc = R"(The n lowest resonant alphas of a mesh.

Where alpha squared is an eigenvalue of the membrane with its left and right edges fixed, the
system is singular. These alphas are found by bisection on the signs of the elimination's
pivots, each to 1e-12 relative or to adjacent doubles, as membrane-solve --modes finds them.

Parameters
----------
divx, divy : int
    The mesh, at least 1 division along x and along y.
n : int
    How many, from 1 to (divx - 1) * (divy + 1), with multiplicity.
details : bool, optional
    Return, instead of the alphas, a structured array with the fields of membrane-solve
    --details: index, alpha, kx, ky, participation, alpha_continuum (see Shape). Default False.
option : bool, optional
    With details, the load whose participation they show. Default True.
threads : int, optional
    Threads that share the work; the result does not depend on their number. Default: every
    processor.
scheme : str, optional
    Where the element's integrals are evaluated: "standard" (the default, the dialog's element)
    or "low-dispersion" (see solve()).

Returns
-------
ndarray of float64, shape (n,)
    The alphas in increasing order; with details, the structured array.

Examples
--------
>>> membrane.modes(2, 1, 2)
array([0.23094011, 0.73029674])
>>> membrane.modes(20, 8, 3, details=True)[["kx", "ky"]].tolist()
[(1, 0), (2, 0), (3, 0)]
)";

constexpr const char* kModesInDoc = R"(Every resonant alpha from a0 to a1.

Parameters
----------
divx, divy : int
    The mesh, at least 1 division along x and along y.
a0, a1 : float
    The interval, finite, a0 <= a1. An interval reaching below zero also lists -a' for the
    resonances a' it holds there: only alpha squared enters the matrix.
return_index : bool, optional
    Also return the number of each resonance among all (from 1), as membrane-solve
    --modes-in writes it. Default False.
details : bool, optional
    Return the structured array of modes(details=True) instead. Default False.
option : bool, optional
    With details, the load whose participation they show. Default True.
threads : int, optional
    Threads that share the work. Default: every processor.
scheme : str, optional
    Where the element's integrals are evaluated: "standard" (the default, the dialog's element)
    or "low-dispersion" (see solve()).

Returns
-------
alphas : ndarray of float64
    In increasing order.
index : ndarray of int32
    Only with return_index, and then first: (index, alphas).

Examples
--------
>>> membrane.modes_in(2, 1, 0.5, 1.0, return_index=True)
(array([2], dtype=int32), array([0.73029674]))
)";

constexpr const char* kSweepDoc = R"(Full solves at n equally spaced alphas from a0 to a1.

Each point is a whole computation with exactly the operations of solve(), as membrane-solve
--sweep makes it.

Parameters
----------
divx, divy : int
    The mesh, at least 1 division along x and along y.
a0, a1 : float
    The first and the last alpha, finite, a0 <= a1.
n : int
    The number of points, from 2 to 1000000.
option : bool, optional
    The raised centre peak of the left edge. Default True.
threads : int, optional
    Threads that share the points; the result does not depend on their number. Default: every
    processor.
scheme : str, optional
    Where the element's integrals are evaluated: "standard" (the default, the dialog's element)
    or "low-dispersion" (see solve()).

Returns
-------
ndarray, structured, shape (n,)
    Fields alpha (float64), max_abs_w (float64, the largest |W|, NaN where a value is NaN),
    modes_below (int32, resonant alphas between 0 and |alpha|) and first_zero_pivot (int32,
    the first row whose pivot is zero or not finite, 0 for none).

Examples
--------
>>> r = membrane.sweep(2, 1, 0.0, 1.0, 5, option=False)
>>> r["max_abs_w"]
array([1.        , 4.61363636, 1.        , 1.        , 1.        ])
)";

}  // namespace

void BindResonances(py::module_& m)
{
    PYBIND11_NUMPY_DTYPE(SweepRow, alpha, max_abs_w, modes_below, first_zero_pivot);
    PYBIND11_NUMPY_DTYPE(DetailsRow, index, alpha, kx, ky, participation, alpha_continuum);

    m.def("modes", &Modes, py::arg("divx"), py::arg("divy"), py::arg("n"), py::kw_only(),
          py::arg("details") = false, py::arg("option") = true, py::arg("threads") = py::none(),
          py::arg("scheme") = kStandardScheme,
          kModesDoc);
    m.def("modes_in", &ModesIn, py::arg("divx"), py::arg("divy"), py::arg("a0"), py::arg("a1"),
          py::kw_only(), py::arg("return_index") = false, py::arg("details") = false,
          py::arg("option") = true, py::arg("threads") = py::none(),
          py::arg("scheme") = kStandardScheme, kModesInDoc);
    m.def("sweep", &Sweep, py::arg("divx"), py::arg("divy"), py::arg("a0"), py::arg("a1"),
          py::arg("n"), py::kw_only(), py::arg("option") = true, py::arg("threads") = py::none(),
          py::arg("scheme") = kStandardScheme,
          kSweepDoc);
}
