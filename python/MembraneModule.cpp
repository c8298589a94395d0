// membrane for Python: the computation of the dialog and of membrane-solve from NumPy, the very
// same doubles. A thin front end on the command layer: it converts arguments, runs the command
// with the GIL released, and hands the values out as arrays over memory the result owns.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/Sweep.h"
#include "present/NodeExport.h"
#include "present/ReportText.h"
#include "solver/ModeShape.h"
#include "solver/Resonance.h"

namespace py = pybind11;

namespace {

// The record of the calling thread, made at its first solve and used again by the next, so that
// a solve allocates and clears nothing of its 0.8 MB. Threads that solve side by side each have
// their own.
MembraneModel& ThreadRecord()
{
    thread_local const std::unique_ptr<MembraneModel> record = std::make_unique<MembraneModel>();
    return *record;
}

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
    void AddValueLines(const MembraneModel&, ValueFormat) override { valuesListed = true; }
    void RequestRepaint() override {}
    void SetTable(std::string text) override { table = std::move(text); }
};

// One solved computation, as solve() returns it.
struct Solution {
    std::int32_t divX = 0;
    std::int32_t divY = 0;
    double alpha = 0.0;
    bool option = true;
    std::vector<double> cells;  // cells[n] = W(n) for n = 1..nodes; cells[0] unused
    std::vector<double> x;      // of the node columns
    std::vector<double> y;      // of the node rows
    DeferredSink report;
    SweepPoint described{};
    bool finite = true;

    std::int32_t Nodes() const { return (divX + 1) * (divY + 1); }
};

// A count as the user gives it: an integer, or a float with a whole value, from 1 to limit.
std::int32_t ReadCount(const py::handle& value, const char* name, int limit)
{
    const auto refuse = [&] {
        return py::value_error(std::string(name) + " must be a whole number from 1 to " +
                               std::to_string(limit) + ", not " +
                               py::repr(value).cast<std::string>());
    };
    long long n = 0;
    if (py::isinstance<py::bool_>(value)) {
        throw refuse();
    } else if (PyIndex_Check(value.ptr())) {  // int, numpy's integers
        const auto whole = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
        if (!whole)
            throw py::error_already_set();
        int overflow = 0;
        n = PyLong_AsLongLongAndOverflow(whole.ptr(), &overflow);
        if (overflow != 0)
            throw refuse();
    } else if (PyFloat_Check(value.ptr())) {
        const double d = value.cast<double>();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 1e9)
            throw refuse();
        n = static_cast<long long>(d);
    } else {
        throw refuse();
    }
    if (n < 1 || n > limit)
        throw refuse();
    return static_cast<std::int32_t>(n);
}

void ReadFinite(double value, const char* name)
{
    if (!std::isfinite(value))
        throw py::value_error(std::string(name) + " must be finite, not " +
                              py::repr(py::float_(value)).cast<std::string>());
}

// The bounds a0 and a1 of an interval of alpha: finite, a0 <= a1.
void ReadInterval(double a0, double a1)
{
    ReadFinite(a0, "a0");
    ReadFinite(a1, "a1");
    if (a0 > a1)
        throw py::value_error("a0 must not exceed a1");
}

int ReadThreads(const std::optional<long long>& threads)
{
    if (!threads)
        return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (*threads < 1 || *threads > 1024)
        throw py::value_error("threads must be from 1 to 1024, not " + std::to_string(*threads));
    return static_cast<int>(*threads);
}

ModeSearch ReadMesh(const py::handle& divx, const py::handle& divy,
                    const std::optional<long long>& threads)
{
    ModeSearch search;
    search.divX = ReadCount(divx, "divx", MembraneModel::kMaxDivX);
    search.divY = ReadCount(divy, "divy", MembraneModel::kMaxDivY);
    search.threads = ReadThreads(threads);
    return search;
}

// A number of resonances, or the number of one, of a mesh that has some: 1..(divX - 1)(divY + 1).
std::int32_t ReadResonanceCount(const ModeSearch& search, const py::handle& value, const char* name)
{
    const std::int32_t available = ModeCount(search.divX, search.divY);
    if (available < 1)
        throw py::value_error("the " + std::to_string(search.divX) + " x " +
                              std::to_string(search.divY) +
                              " mesh has no resonance: every node lies on a fixed edge");
    return ReadCount(value, name, available);
}

Solution Solve(const py::handle& divx, const py::handle& divy, double alpha, bool option)
{
    Solution s;
    s.divX = ReadCount(divx, "divx", MembraneModel::kMaxDivX);
    s.divY = ReadCount(divy, "divy", MembraneModel::kMaxDivY);
    s.alpha = alpha;
    s.option = option;
    {
        const py::gil_scoped_release release;
        MembraneModel& model = ThreadRecord();
        model.m_bOption = option ? 1 : 0;
        const ComputeOutcome outcome = RunComputeValues(model, {s.divX, s.divY, alpha}, s.report);
        s.finite = outcome == ComputeOutcome::Solved;
        s.cells.assign(model.m_W, model.m_W + model.m_nNode + 1);
        for (int i = 0; i <= s.divX; ++i)
            s.x.push_back(NodeX(model, i));
        for (int j = 0; j <= s.divY; ++j)
            s.y.push_back(NodeY(model, j));
        s.described = DescribeSolution(model);
    }
    return s;
}

// The array made read-only: w and values share the result's memory.
py::array ReadOnly(py::array array)
{
    array.attr("setflags")(py::arg("write") = false);
    return array;
}

// Views of nodal values kept by `owner`, first[n - 1] for the nodes n = 1..: in node order, and
// as a grid [i, j] of the node columns and rows. Both share the memory.
py::array NodeValues(const py::object& owner, const double* first, std::int32_t nodes)
{
    return ReadOnly(py::array_t<double>({nodes}, {sizeof(double)}, first, owner));
}

py::array NodeGrid(const py::object& owner, const double* first, std::int32_t divX,
                   std::int32_t divY)
{
    const auto row = static_cast<py::ssize_t>(sizeof(double)) * (divY + 1);
    return ReadOnly(py::array_t<double>({divX + 1, divY + 1},
                                        {row, static_cast<py::ssize_t>(sizeof(double))}, first,
                                        owner));
}

py::array_t<double> Copy(const std::vector<double>& v)
{
    return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
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

std::string Repr(const Solution& s)
{
    std::string max;
    AppendValue(max, s.described.maxAbsW, ValueFormat::Shortest);
    return "<membrane.Solution divx=" + std::to_string(s.divX) + " divy=" + std::to_string(s.divY) +
           " alpha=" + py::repr(py::float_(s.alpha)).cast<std::string>() +
           " option=" + (s.option ? "True" : "False") + ": " + std::to_string(s.Nodes()) +
           " nodes, max |W| " + max + (s.finite ? "" : ", not all finite") + ">";
}

// One row of the details' structured array; the member names are its field names.
struct DetailsRow {
    std::int32_t index;
    double alpha;
    std::int32_t kx;
    std::int32_t ky;
    double participation;
    double alpha_continuum;
};

// The listed resonances with their shapes' labels and participation, as --details lists them.
py::array_t<DetailsRow> Details(const ModeSearch& search, bool option,
                                const std::vector<ResonanceInInterval>& listed)
{
    std::vector<ModeShape> shapes;
    std::int32_t first = 0;
    if (!listed.empty()) {
        first = listed.front().index;
        std::int32_t last = first;
        for (const ResonanceInInterval& r : listed) {
            first = std::min(first, r.index);
            last = std::max(last, r.index);
        }
        const py::gil_scoped_release release;
        shapes = FindShapes(search, option, first, last);
    }
    py::array_t<DetailsRow> rows(static_cast<py::ssize_t>(listed.size()));
    for (std::size_t k = 0; k < listed.size(); ++k) {
        const ModeShape& s = shapes[listed[k].index - first];
        rows.mutable_at(static_cast<py::ssize_t>(k)) = {
            listed[k].index, listed[k].alpha, s.kx, s.ky, s.participation,
            std::copysign(ContinuumAlpha(s.kx, s.ky), listed[k].alpha)};
    }
    return rows;
}

py::object Modes(const py::handle& divx, const py::handle& divy, const py::handle& n,
                 bool details, bool option, const std::optional<long long>& threads)
{
    const ModeSearch search = ReadMesh(divx, divy, threads);
    const std::int32_t count = ReadResonanceCount(search, n, "n");
    std::vector<double> modes;
    {
        const py::gil_scoped_release release;
        modes = FindModes(search, 1, count);
    }
    if (details) {
        std::vector<ResonanceInInterval> listed;
        for (std::size_t k = 0; k < modes.size(); ++k)
            listed.push_back({static_cast<std::int32_t>(k + 1), modes[k]});
        return Details(search, option, listed);
    }
    return py::array_t<double>(static_cast<py::ssize_t>(modes.size()), modes.data());
}

py::object ModesIn(const py::handle& divx, const py::handle& divy, double a0, double a1,
                   bool returnIndex, bool details, bool option,
                   const std::optional<long long>& threads)
{
    const ModeSearch search = ReadMesh(divx, divy, threads);
    ReadInterval(a0, a1);
    std::vector<ResonanceInInterval> found;
    {
        const py::gil_scoped_release release;
        found = FindModesIn(search, a0, a1);
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

// One row of sweep()'s structured array; the member names are its field names.
struct SweepRow {
    double alpha;
    double max_abs_w;
    std::int32_t modes_below;
    std::int32_t first_zero_pivot;
};

py::array_t<SweepRow> RunSweepFromPython(const py::handle& divx, const py::handle& divy, double a0,
                                         double a1, const py::handle& n, bool option,
                                         const std::optional<long long>& threads)
{
    const ModeSearch search = ReadMesh(divx, divy, threads);
    ReadInterval(a0, a1);
    const std::int32_t points = ReadCount(n, "n", 1 << 30);
    if (points < 2)
        throw py::value_error("n must be at least 2, not 1");
    std::vector<SweepPoint> swept;
    {
        const py::gil_scoped_release release;
        swept = RunSweep({search.divX, search.divY, option}, a0, a1, points, 0, points,
                         search.threads);
    }
    py::array_t<SweepRow> rows(points);
    for (std::int32_t k = 0; k < points; ++k)
        rows.mutable_at(k) = {swept[k].alpha, swept[k].maxAbsW, swept[k].modesBelow,
                              swept[k].firstZeroPivot};
    return rows;
}

// The shape of one resonance, as shape() returns it.
struct Shape {
    std::int32_t divX = 0;
    std::int32_t divY = 0;
    bool option = true;
    ModeShape mode;
    std::vector<double> x, y;

    std::int32_t Nodes() const { return (divX + 1) * (divY + 1); }
};

Shape FindShape(const py::handle& divx, const py::handle& divy, const py::handle& k, bool option,
                const std::optional<long long>& threads)
{
    const ModeSearch search = ReadMesh(divx, divy, threads);
    const std::int32_t index = ReadResonanceCount(search, k, "k");
    Shape s;
    s.divX = search.divX;
    s.divY = search.divY;
    s.option = option;
    {
        const py::gil_scoped_release release;
        s.mode = std::move(FindShapes(search, option, index, index).front());
    }
    MembraneModel& model = ThreadRecord();
    model.m_nDivX = s.divX;
    model.m_nDivY = s.divY;
    model.DeriveCounts();
    for (int i = 0; i <= s.divX; ++i)
        s.x.push_back(NodeX(model, i));
    for (int j = 0; j <= s.divY; ++j)
        s.y.push_back(NodeY(model, j));
    return s;
}

// The compute command alone, repeated on this thread's record: the time of one solve without
// the binding, for the benchmark of the binding's own cost.
double NativeSolveSeconds(int divX, int divY, double alpha, bool option, int repeats)
{
    const py::gil_scoped_release release;
    MembraneModel& model = ThreadRecord();
    model.m_bOption = option ? 1 : 0;
    DeferredSink sink;
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < repeats; ++k)
        RunComputeValues(model, {divX, divY, alpha}, sink);
    const std::chrono::duration<double> t = std::chrono::steady_clock::now() - t0;
    return t.count() / repeats;
}

}  // namespace

PYBIND11_MODULE(membrane, m)
{
    m.doc() = R"(The vibrating membrane by the finite element method.

Solves the Helmholtz equation  Laplace(w) + alpha^2 w = 0  on the rectangle 15 x 5 with
bilinear 4-node elements on a regular grid of divx x divy elements: the left edge held at 1.0
(or, with the option, raised at its centre), the right edge at 0.0, top and bottom free. The
numbers are those of the membrane dialog and of membrane-solve, bit for bit.

Functions
---------
solve     the nodal values for one alpha
modes     the lowest resonant alphas of a mesh
modes_in  the resonant alphas of an interval
sweep     full solves at equally spaced alphas
)";
    m.attr("__version__") = MEMBRANE_VERSION;
    // The signatures are the docstrings' first lines, with the types a user passes.
    py::options options;
    options.disable_function_signatures();
    PYBIND11_NUMPY_DTYPE(SweepRow, alpha, max_abs_w, modes_below, first_zero_pivot);
    PYBIND11_NUMPY_DTYPE(DetailsRow, index, alpha, kx, ky, participation, alpha_continuum);

    py::class_<Solution>(m, "Solution", R"(The result of solve(): the nodal values and what they say.

Attributes
----------
w : ndarray of float64, shape (divx + 1, divy + 1)
    w[i, j] is the value of the node in column i and row j, at (x[i], y[j]). Read-only.
x, y : ndarray of float64
    The coordinates of the node columns (15 i / divx) and rows (5 j / divy).
values : ndarray of float64, shape (nodes,)
    The values in node order, W(1) .. W(nodes), column by column. Shares its memory with w.
finite : bool
    True when every value is finite.
first_zero_pivot : int
    The first row whose pivot is zero or not finite, 0 for none.
modes_below : int
    The resonant alphas between 0 and |alpha|, with multiplicity.
divx, divy, alpha, option
    The inputs.
)")
        .def_readonly("divx", &Solution::divX)
        .def_readonly("divy", &Solution::divY)
        .def_readonly("alpha", &Solution::alpha)
        .def_readonly("option", &Solution::option)
        .def_readonly("finite", &Solution::finite)
        .def_property_readonly("first_zero_pivot",
                               [](const Solution& s) { return s.described.firstZeroPivot; })
        .def_property_readonly("modes_below",
                               [](const Solution& s) { return s.described.modesBelow; })
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
        .def("report_lines", &ReportLines, R"(report_lines() -> list of str

The report list of the dialog, line by line.

Returns
-------
list of str
    "Number of Element = ...", "Number of Node = ...", then "W(n) = %.6f" for every node with
    an empty line ahead of every node column, and a last line when some value is not finite:
    the lines of membrane-solve --list.
)")
        .def("table", [](const Solution& s) { return s.report.table; },
             R"(table() -> str

The table the dialog puts on the clipboard, as membrane-solve writes it.

Returns
-------
str
    A header line with the row numbers 1 .. divy + 1, then one line per node column with its
    values in "%.6f"; a tab after every cell, a line feed after every line.
)")
        .def("__repr__", &Repr);

    py::class_<Shape>(m, "Shape", R"(The result of shape(): a resonance and its shape.

Attributes
----------
phi : ndarray of float64, shape (divx + 1, divy + 1)
    phi[i, j] at the node of column i and row j; 0 on the fixed edges, phi^T M phi = 1 with
    the mass matrix M, the component of largest magnitude positive. Read-only.
values : ndarray of float64, shape (nodes,)
    The same in node order. Shares its memory with phi.
x, y : ndarray of float64
    The coordinates of the node columns and rows.
index : int
    Its number among the resonances, from 1, as modes() numbers them.
alpha : float
    The resonant alpha.
kx, ky : int
    1 + its sign changes along x, and its sign changes along y, through the node of largest
    magnitude: for a simple resonance, its half-waves.
participation : float
    phi^T (K_fb - alpha^2 M_fb) u_b: how much the load of the fixed edges (with the option)
    excites it; 0 for one that makes no peak.
alpha_continuum : float
    pi sqrt((kx/15)^2 + (ky/5)^2), the continuous membrane's alpha for the same half-waves.
)")
        .def_property_readonly("index", [](const Shape& s) { return s.mode.index; })
        .def_property_readonly("alpha", [](const Shape& s) { return s.mode.alpha; })
        .def_property_readonly("kx", [](const Shape& s) { return s.mode.kx; })
        .def_property_readonly("ky", [](const Shape& s) { return s.mode.ky; })
        .def_property_readonly("participation", [](const Shape& s) { return s.mode.participation; })
        .def_property_readonly("alpha_continuum",
                               [](const Shape& s) { return ContinuumAlpha(s.mode.kx, s.mode.ky); })
        .def_readonly("divx", &Shape::divX)
        .def_readonly("divy", &Shape::divY)
        .def_readonly("option", &Shape::option)
        .def_property_readonly("values",
                               [](py::object self) {
                                   const auto& s = self.cast<const Shape&>();
                                   return NodeValues(self, s.mode.phi.data() + 1, s.Nodes());
                               })
        .def_property_readonly("phi",
                               [](py::object self) {
                                   const auto& s = self.cast<const Shape&>();
                                   return NodeGrid(self, s.mode.phi.data() + 1, s.divX, s.divY);
                               })
        .def_property_readonly("x", [](const Shape& s) { return Copy(s.x); })
        .def_property_readonly("y", [](const Shape& s) { return Copy(s.y); })
        .def("__repr__", [](const Shape& s) {
            std::string alpha;
            AppendValue(alpha, s.mode.alpha, ValueFormat::Shortest);
            return "<membrane.Shape " + std::to_string(s.mode.index) + " of " +
                   std::to_string(s.divX) + " x " + std::to_string(s.divY) + ": alpha " + alpha +
                   ", (kx, ky) = (" + std::to_string(s.mode.kx) + ", " +
                   std::to_string(s.mode.ky) + ")>";
        });

    m.def("solve", &Solve, py::arg("divx") = 90, py::arg("divy") = 30, py::arg("alpha") = 5.0,
          py::arg("option") = true,
          R"(solve(divx=90, divy=30, alpha=5.0, option=True) -> Solution

Solve the membrane for one alpha, as the dialog does.

Parameters
----------
divx : int, optional
    Divisions along x, a whole number from 1 to 90. Default 90.
divy : int, optional
    Divisions along y, a whole number from 1 to 30. Default 30.
alpha : float, optional
    The parameter alpha of the Helmholtz equation; any float. Default 5.0.
option : bool, optional
    The raised centre peak of the left edge. Default True.

Returns
-------
Solution
    The nodal values (Solution.w, Solution.values) and what they say. Where alpha squared is
    an eigenvalue, or a pivot vanishes, the values are not finite and Solution.finite is False.

Raises
------
ValueError
    A count outside its limits, or not a whole number.

Examples
--------
>>> import membrane
>>> s = membrane.solve(2, 1, 0.1, option=False)
>>> s.w.shape
(3, 2)
>>> s.table().splitlines()[2]
'0.673077\t0.673077\t'
)");
    m.def("modes", &Modes, py::arg("divx"), py::arg("divy"), py::arg("n"), py::kw_only(),
          py::arg("details") = false, py::arg("option") = true, py::arg("threads") = py::none(),
          R"(modes(divx, divy, n, *, details=False, option=True, threads=None) -> ndarray

The n lowest resonant alphas of a mesh.

Where alpha squared is an eigenvalue of the membrane with its left and right edges fixed, the
system is singular. These alphas are found by bisection on the signs of the elimination's
pivots, each to 1e-12 relative or to adjacent doubles, as membrane-solve --modes finds them.

Parameters
----------
divx, divy : int
    The mesh, 1..90 and 1..30 divisions.
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
)");
    m.def("modes_in", &ModesIn, py::arg("divx"), py::arg("divy"), py::arg("a0"), py::arg("a1"),
          py::kw_only(), py::arg("return_index") = false, py::arg("details") = false,
          py::arg("option") = true, py::arg("threads") = py::none(),
          R"(modes_in(divx, divy, a0, a1, *, return_index=False, details=False, option=True, threads=None) -> ndarray

Every resonant alpha from a0 to a1.

Parameters
----------
divx, divy : int
    The mesh, 1..90 and 1..30 divisions.
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
)");
    m.def("sweep", &RunSweepFromPython, py::arg("divx"), py::arg("divy"), py::arg("a0"),
          py::arg("a1"), py::arg("n"), py::arg("option") = true, py::kw_only(),
          py::arg("threads") = py::none(),
          R"(sweep(divx, divy, a0, a1, n, option=True, *, threads=None) -> ndarray

Full solves at n equally spaced alphas from a0 to a1.

Each point is a whole computation with exactly the operations of solve(), as membrane-solve
--sweep makes it.

Parameters
----------
divx, divy : int
    The mesh, 1..90 and 1..30 divisions.
a0, a1 : float
    The first and the last alpha, finite, a0 <= a1.
n : int
    The number of points, at least 2.
option : bool, optional
    The raised centre peak of the left edge. Default True.
threads : int, optional
    Threads that share the points; the result does not depend on their number. Default: every
    processor.

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
)");
    m.def("shape", &FindShape, py::arg("divx"), py::arg("divy"), py::arg("k"),
          py::arg("option") = true, py::kw_only(), py::arg("threads") = py::none(),
          R"(shape(divx, divy, k, option=True, *, threads=None) -> Shape

The shape of the k-th resonance of a mesh, as membrane-solve --shape finds it.

Found by inverse iteration with the solver's own band elimination at a shift just beside the
resonance; resonances within 1e-8 of each other are found together and turned so that the
first takes all of the participation of the load.

Parameters
----------
divx, divy : int
    The mesh, 1..90 and 1..30 divisions.
k : int
    The resonance, from 1 to (divx - 1) * (divy + 1), numbered as modes() numbers them.
option : bool, optional
    The load of the left edge, for the participation (and within a cluster, the basis).
    Default True.
threads : int, optional
    Threads that share the work. Default: every processor.

Returns
-------
Shape
    The shape (Shape.phi, Shape.values) with its alpha, labels and participation.

Raises
------
ValueError
    A mesh without free nodes, or k out of range.

Examples
--------
>>> s = membrane.shape(90, 30, 14)
>>> (s.kx, s.ky), round(s.alpha, 6), round(s.alpha_continuum, 6)
((3, 2), 1.407147, 1.404963)
)");
    m.def("_native_solve_seconds", &NativeSolveSeconds, py::arg("divx"), py::arg("divy"),
          py::arg("alpha"), py::arg("option"), py::arg("repeats"),
          "_native_solve_seconds(divx, divy, alpha, option, repeats) -> float\n\n"
          "The seconds of one solve by the compute command alone, without the binding.");
}
