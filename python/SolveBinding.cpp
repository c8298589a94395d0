// solve() and its Solution: the compute command run with the GIL released on the calling
// thread's record, the values kept by the result and handed out as views.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "Arguments.h"
#include "Arrays.h"
#include "Outputs.h"
#include "Bindings.h"
#include "command/ComputeCommand.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "command/Sweep.h"
#include "present/FigureTitles.h"
#include "present/NodeExport.h"
#include "present/ReportText.h"

namespace {

// Keeps the lines before and after the values and the table; the value lines themselves are
// formatted from the result's values when they are asked for.
class DeferredSink final : public ReportSink {
public:
    std::vector<std::string> head;
    std::vector<std::string> tail;
    bool valuesListed = false;
    std::string table;

    void ResetList() override
    {
        head.clear();
        tail.clear();
        valuesListed = false;
    }
    void AddLine(std::string_view line) override { (valuesListed ? tail : head).emplace_back(line); }
    void AddValueLines(const NodalField&, ValueFormat) override { valuesListed = true; }
    void RequestRepaint() override {}
    void SetTable(std::string text) override { table = std::move(text); }
};

// One solved computation, as solve() returns it.
struct Solution {
    std::int32_t divX = 0;
    std::int32_t divY = 0;
    double alpha = 0.0;
    bool option = true;
    Scheme scheme = Scheme::Standard;
    std::vector<double> cells;  // cells[n] = W(n) for n = 1..nodes; cells[0] unused
    std::vector<double> x;      // of the node columns
    std::vector<double> y;      // of the node rows
    DeferredSink report;
    SweepPoint described{};
    bool finite = true;

    std::int32_t Nodes() const { return (divX + 1) * (divY + 1); }
    double PointsPerWavelength() const { return ::PointsPerWavelength({divX, divY}, alpha); }
    NodalField Field() const { return {divX, divY, alpha, cells.data(), scheme}; }
    std::string Title() const { return SolutionTitle(Field(), option); }
    const std::string& Table() const { return report.table; }
};

py::tuple PickledSolution(const Solution& s)
{
    return py::make_tuple(s.divX, s.divY, s.alpha, s.option, DoubleBytes(s.cells), DoubleBytes(s.x),
                          DoubleBytes(s.y), s.report.head, s.report.tail, s.report.valuesListed,
                          py::bytes(s.report.table), s.described.maxAbsW, s.described.modesBelow,
                          s.described.firstZeroPivot, s.finite, SchemeName(s.scheme));
}

Solution UnpickledSolution(const py::tuple& t)
{
    // Solutions pickled before the schemes were offered have no sixteenth item: the standard
    // scheme.
    if (t.size() != 15 && t.size() != 16)
        throw std::runtime_error("not a pickled membrane.Solution");
    Solution s;
    s.divX = t[0].cast<std::int32_t>();
    s.divY = t[1].cast<std::int32_t>();
    s.alpha = t[2].cast<double>();
    s.option = t[3].cast<bool>();
    s.cells = BytesDoubles(t[4]);
    s.x = BytesDoubles(t[5]);
    s.y = BytesDoubles(t[6]);
    if (s.divX < 1 || s.divY < 1 || s.cells.size() != static_cast<std::size_t>(s.Nodes()) + 1 ||
        s.x.size() != static_cast<std::size_t>(s.divX) + 1 ||
        s.y.size() != static_cast<std::size_t>(s.divY) + 1)
        throw std::runtime_error("not a pickled membrane.Solution");
    s.report.head = t[7].cast<std::vector<std::string>>();
    s.report.tail = t[8].cast<std::vector<std::string>>();
    s.report.valuesListed = t[9].cast<bool>();
    s.report.table = t[10].cast<std::string>();
    s.described = {s.alpha, t[11].cast<double>(), t[12].cast<std::int32_t>(),
                   t[13].cast<std::int32_t>()};
    s.finite = t[14].cast<bool>();
    s.scheme = UnpickledScheme(t, 15, "membrane.Solution");
    return s;
}

// The values of a solved record, and what they say: described from its factors' inertia.
template <class R>
void Keep(Solution& s, const R& record, ComputeOutcome outcome, const BandInertia& inertia)
{
    s.finite = outcome == ComputeOutcome::Solved;
    s.cells.assign(&record.m_W[0], &record.m_W[0] + record.m_nNode + 1);
    for (int i = 0; i <= s.divX; ++i)
        s.x.push_back(NodeX(record, i));
    for (int j = 0; j <= s.divY; ++j)
        s.y.push_back(NodeY(record, j));
    s.described = DescribeSolution(record, inertia);
}

Solution Solve(const CountArgument& divx, const CountArgument& divy,
               const RealArgument& alphaArgument, const FlagArgument& optionArgument,
               const TextArgument& solverArgument, const TextArgument& schemeArgument)
{
    Solution s;
    s.alpha = ReadReal(alphaArgument, "alpha");
    s.option = ReadFlag(optionArgument, "option");
    s.divX = ReadCount(divx, "divx", std::nullopt);
    s.divY = ReadCount(divy, "divy", std::nullopt);
    s.scheme = ReadScheme(schemeArgument);
    const Problem problem{s.divX, s.divY, s.alpha, s.option,
                          ReadSolver(solverArgument, s.divX, s.divY), s.scheme};
    // The memory of the form that will solve it: the separable solver keeps no band.
    const SolverForm form = ChooseSolverForm(s.divX, s.divY, problem.solver);
    if (const std::optional<std::string> large = MeshTooLarge(s.divX, s.divY, 1, form))
        throw py::value_error(*large);
    const py::gil_scoped_release release;
    // Within the dialog's limits with its element on the thread's record, as the dialog
    // computes; otherwise on one sized to the mesh, by the solver membrane-solve takes for the
    // problem.
    if (OnTheDialogsRecord(s.divX, s.divY, s.scheme)) {
        MembraneModel& record = ThreadRecord();
        record.m_bOption = problem.option ? 1 : 0;
        const ComputeOutcome outcome =
            RunComputeValues(record, {s.divX, s.divY, problem.alpha}, s.report);
        Keep(s, record, outcome, record.PivotInertia());
    } else {
        SizedRecord record(s.divX, s.divY, NeedsBand(form));
        const SizedOutcome solved = RunComputeSized(record, problem, s.report, ValueFormat::Fixed6);
        Keep(s, record, solved.outcome, solved.inertia);
    }
    return s;
}

py::list ReportLines(const Solution& s)
{
    py::list lines;
    for (const std::string& line : s.report.head)
        lines.append(py::str(line));
    const ValueLines values(s.cells.data(), s.divY + 1, s.Nodes(), ValueFormat::Fixed6);
    std::string line;
    for (int k = 0; k < values.Count(); ++k) {
        line.clear();
        values.Append(line, k);
        lines.append(py::str(line));
    }
    for (const std::string& line : s.report.tail)
        lines.append(py::str(line));
    return lines;
}

// ", coarse: 7.54 points per wavelength" where the mesh has fewer than 10 at alpha.
std::string Coarse(const Solution& s)
{
    const double points = s.PointsPerWavelength();
    if (!(points < kFewPointsPerWavelength))
        return "";
    char text[64];
    std::snprintf(text, sizeof text, ", coarse: %.3g points per wavelength", points);
    return text;
}

std::string Repr(const Solution& s)
{
    std::string max;
    AppendValue(max, s.described.maxAbsW, ValueFormat::Shortest);
    return "<membrane.Solution divx=" + std::to_string(s.divX) + " divy=" + std::to_string(s.divY) +
           " alpha=" + py::repr(py::float_(s.alpha)).cast<std::string>() +
           " option=" + (s.option ? "True" : "False") +
           (s.scheme == Scheme::Standard ? ""
                                         : " scheme='" + std::string(SchemeName(s.scheme)) + "'") +
           ": " + std::to_string(s.Nodes()) +
           " nodes, max |W| " + max + (s.finite ? "" : ", not all finite") + Coarse(s) + ">";
}

constexpr const char* kSolutionDoc = R"(The result of solve(): the nodal values and what they say.

Attributes
----------
w : ndarray of float64, shape (divx + 1, divy + 1)
    w[i, j] is the value of the node in column i and row j, at (x[i], y[j]). Read-only.
x, y : ndarray of float64
    The coordinates of the node columns (15 i / divx) and rows (5 j / divy).
X, Y : ndarray of float64, shape (divx + 1, divy + 1)
    The coordinates of every node in w's own shape, as numpy.meshgrid(x, y, indexing="ij")
    gives them, so that matplotlib draws the membrane the right way up:
    plt.pcolormesh(s.X, s.Y, s.w) or plt.contourf(s.X, s.Y, s.w).
values : ndarray of float64, shape (nodes,)
    The values in node order, W(1) .. W(nodes), column by column. Shares its memory with w.
finite : bool
    True when every value is finite.
first_zero_pivot : int
    The first row whose pivot is zero or not finite, 0 for none.
modes_below : int
    The resonant alphas between 0 and |alpha|, with multiplicity.
scheme : str
    The element's scheme that made it, "standard" or "low-dispersion".
points_per_wavelength : float
    2 pi / (alpha h), h the larger side of an element: below 10 the mesh is coarse for alpha,
    and the repr says so (see study() for how far the mesh is from the membrane).
divx, divy, alpha, option
    The inputs.

In a notebook a Solution shows its figure. figure(), to_csv(), to_vtk() and to_table() write
what membrane-solve writes; a Solution can be pickled.
)";

constexpr const char* kReportLinesDoc = R"(The report list of the dialog, line by line.

Returns
-------
list of str
    "Number of Element = ...", "Number of Node = ...", then "W(n) = %.6f" for every node with
    an empty line ahead of every node column, and a last line when some value is not finite:
    the lines of membrane-solve --list.
)";

constexpr const char* kTableDoc = R"(The table the dialog puts on the clipboard, as membrane-solve writes it.

Returns
-------
str
    A header line with the row numbers 1 .. divy + 1, then one line per node column with its
    values in "%.6f"; a tab after every cell, a line feed after every line.
)";

constexpr const char* kSolveDoc = R"(Solve the membrane for one alpha, as the dialog does.

Parameters
----------
divx : int, optional
    Divisions along x, a whole number of at least 1. Default 90.
divy : int, optional
    Divisions along y, a whole number of at least 1. Default 30. Meshes beyond the dialog's
    90 x 30 are solved on storage sized to them, with the same stages in the same order; a
    mesh that needs more than half of the machine's memory is refused.
alpha : float, optional
    The parameter alpha of the Helmholtz equation; any float. Default 5.0.
option : bool, optional
    The raised centre peak of the left edge. Default True.
solver : str, optional
    Beyond the dialog's 90 x 30: "band" (the band elimination), "sparse" (a sparse LDL^T with
    a fill-reducing ordering), "separable" (fast diagonalisation by FFTW's sine and cosine
    transforms: no band, memory in proportion to the mesh, the other forms' values to
    rounding) or "auto", the faster of band and sparse for the mesh, as membrane-solve's
    --solver takes them; within it the band elimination alone. Default "auto".
scheme : str, optional
    Where the bilinear element's integrals are evaluated, as membrane-solve's --scheme takes
    it: "standard" (the default, the dialog's element: exact 2 x 2 Gauss integration) or
    "low-dispersion" (the mass and the stiffness at +-sqrt(2/3) with unit weights: the same
    nodes, stencil and solvers, a phase error of order (alpha h)^4 instead of (alpha h)^2, so
    that a mesh comes far closer to the membrane; its resonances converge from below).

Returns
-------
Solution
    The nodal values (Solution.w, Solution.values) and what they say. Where alpha squared is
    an eigenvalue, or a pivot vanishes, the values are not finite and Solution.finite is False.

Raises
------
ValueError
    A count below 1 or not a whole number, a mesh too large for the memory, a solver that
    is not one of those above ("sparse" within the dialog's limits), or another scheme.

Examples
--------
>>> import membrane
>>> s = membrane.solve(2, 1, 0.1, option=False)
>>> s.w.shape
(3, 2)
>>> s.table().splitlines()[2]
'0.673077\t0.673077\t'
)";

}  // namespace

MembraneModel& ThreadRecord()
{
    thread_local const std::unique_ptr<MembraneModel> record = std::make_unique<MembraneModel>();
    return *record;
}

void BindSolve(py::module_& m)
{
    py::class_<Solution> solution(m, "Solution", kSolutionDoc);
    solution
        .def_readonly("divx", &Solution::divX)
        .def_readonly("divy", &Solution::divY)
        .def_readonly("alpha", &Solution::alpha)
        .def_readonly("option", &Solution::option)
        .def_property_readonly("scheme", [](const Solution& s) { return SchemeName(s.scheme); })
        .def_readonly("finite", &Solution::finite)
        .def_property_readonly("first_zero_pivot",
                               [](const Solution& s) { return s.described.firstZeroPivot; })
        .def_property_readonly("modes_below",
                               [](const Solution& s) { return s.described.modesBelow; })
        .def_property_readonly("points_per_wavelength", &Solution::PointsPerWavelength)
        .def_property_readonly("values",
                               [](py::object self) {
                                   const auto& s = self.cast<const Solution&>();
                                   return NodeValues(self, s.cells.data() + 1, s.Nodes());
                               })
        .def_property_readonly("w",
                               [](py::object self) {
                                   const auto& s = self.cast<const Solution&>();
                                   return NodeGrid(self, s.cells.data() + 1, s.divX, s.divY);
                               })
        .def_property_readonly("x", [](const Solution& s) { return Copy(s.x); })
        .def_property_readonly("y", [](const Solution& s) { return Copy(s.y); })
        .def("report_lines", &ReportLines, kReportLinesDoc)
        .def("table", [](const Solution& s) { return s.report.table; }, kTableDoc)
        .def(py::pickle(&PickledSolution, &UnpickledSolution))
        .def("__repr__", &Repr);
    BindFieldOutputs(solution, &FigureApi::solutionFigure);

    m.def("solve", &Solve, py::arg("divx") = kDefaultDivX, py::arg("divy") = kDefaultDivY,
          py::arg("alpha") = kDefaultAlpha, py::kw_only(), py::arg("option") = true,
          py::arg("solver") = "auto", py::arg("scheme") = kStandardScheme, kSolveDoc);
}
