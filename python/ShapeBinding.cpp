// shape() and its Shape: one resonance's shape as membrane-solve --shape finds it.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <string>

#include "Arguments.h"
#include "Arrays.h"
#include "Bindings.h"
#include "command/LowestResonances.h"
#include "present/NodeExport.h"
#include "present/ReportText.h"

namespace {

// The shape of one resonance, as shape() returns it.
struct Shape {
    std::int32_t divX = 0;
    std::int32_t divY = 0;
    bool option = true;
    ModeShape mode;
    std::vector<double> x, y;

    std::int32_t Nodes() const { return (divX + 1) * (divY + 1); }
};

Shape FindShape(const CountArgument& divx, const CountArgument& divy, const CountArgument& k,
                bool option, const std::optional<long long>& threads)
{
    const ResonanceSearch search = ReadSearch(divx, divy, threads);
    const std::int32_t index = ReadResonanceCount(search, k, "k");
    Shape s;
    s.divX = search.divX;
    s.divY = search.divY;
    s.option = option;
    {
        const py::gil_scoped_release release;
        s.mode = std::move(ResonanceShapes(search, option, index, index).front());
    }
    const NodalField field(s.divX, s.divY, s.mode.alpha, s.mode.phi.data());
    for (int i = 0; i <= s.divX; ++i)
        s.x.push_back(NodeX(field, i));
    for (int j = 0; j <= s.divY; ++j)
        s.y.push_back(NodeY(field, j));
    return s;
}

std::string Repr(const Shape& s)
{
    std::string alpha;
    AppendValue(alpha, s.mode.alpha, ValueFormat::Shortest);
    return "<membrane.Shape " + std::to_string(s.mode.index) + " of " + std::to_string(s.divX) +
           " x " + std::to_string(s.divY) + ": alpha " + alpha + ", (kx, ky) = (" +
           std::to_string(s.mode.kx) + ", " + std::to_string(s.mode.ky) + ")>";
}

constexpr const char* kShapeClassDoc = R"(The result of shape(): a resonance and its shape.

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
)";

constexpr const char* kShapeDoc = R"(The shape of the k-th resonance of a mesh, as membrane-solve --shape finds it.

Found by inverse iteration with the solver's own band elimination at a shift just beside the
resonance; resonances within 1e-8 of each other are found together and turned so that the
first takes all of the participation of the load.

Parameters
----------
divx, divy : int
    The mesh, at least 1 division along x and along y.
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
)";

}  // namespace

void BindShapes(py::module_& m)
{
    py::class_<Shape>(m, "Shape", kShapeClassDoc)
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
        .def("__repr__", &Repr);

    m.def("shape", &FindShape, py::arg("divx"), py::arg("divy"), py::arg("k"), py::kw_only(),
          py::arg("option") = true, py::arg("threads") = py::none(), kShapeDoc);
}
