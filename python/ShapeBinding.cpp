// shape() and its Shape: one resonance's shape as membrane-solve --shape finds it.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstring>
#include <string>

#include "Arguments.h"
#include "Arrays.h"
#include "Bindings.h"
#include "Outputs.h"
#include "command/LowestResonances.h"
#include "present/FigureTitles.h"
#include "present/NodeExport.h"
#include "present/ReportText.h"

namespace {

// The shape of one resonance, as shape() returns it.
struct Shape {
    std::int32_t divX = 0;
    std::int32_t divY = 0;
    bool option = true;
    Scheme scheme = Scheme::Standard;
    ModeShape mode;
    std::vector<double> x, y;

    std::int32_t Nodes() const { return (divX + 1) * (divY + 1); }
    NodalField Field() const { return {divX, divY, mode.alpha, mode.phi.data(), scheme}; }
    std::string Title() const
    {
        return ShapeTitle(mode.index, mode.kx, mode.ky, mode.alpha, divX, divY, scheme);
    }
    std::string Table() const { return BuildTable(Field()); }
};

py::tuple PickledShape(const Shape& s)
{
    return py::make_tuple(s.divX, s.divY, s.option, s.mode.index, s.mode.alpha,
                          DoubleBytes(s.mode.phi), s.mode.kx, s.mode.ky, s.mode.participation,
                          DoubleBytes(s.x), DoubleBytes(s.y), SchemeName(s.scheme));
}

Shape UnpickledShape(const py::tuple& t)
{
    // Shapes pickled before the schemes were offered have no twelfth item: the standard scheme.
    if (t.size() != 11 && t.size() != 12)
        throw std::runtime_error("not a pickled membrane.Shape");
    Shape s;
    s.divX = t[0].cast<std::int32_t>();
    s.divY = t[1].cast<std::int32_t>();
    s.option = t[2].cast<bool>();
    s.mode.index = t[3].cast<std::int32_t>();
    s.mode.alpha = t[4].cast<double>();
    s.mode.phi = BytesDoubles(t[5]);
    s.mode.kx = t[6].cast<std::int32_t>();
    s.mode.ky = t[7].cast<std::int32_t>();
    s.mode.participation = t[8].cast<double>();
    s.x = BytesDoubles(t[9]);
    s.y = BytesDoubles(t[10]);
    s.scheme = UnpickledScheme(t, 11, "membrane.Shape");
    if (s.divX < 1 || s.divY < 1 || s.mode.phi.size() != static_cast<std::size_t>(s.Nodes()) + 1 ||
        s.x.size() != static_cast<std::size_t>(s.divX) + 1 ||
        s.y.size() != static_cast<std::size_t>(s.divY) + 1)
        throw std::runtime_error("not a pickled membrane.Shape");
    return s;
}

Shape FindShape(const CountArgument& divx, const CountArgument& divy, const CountArgument& k,
                const FlagArgument& optionArgument, const std::optional<long long>& threads,
                const TextArgument& scheme)
{
    const bool option = ReadFlag(optionArgument, "option");
    const ResonanceSearch search = ReadSearch(divx, divy, threads, scheme);
    const std::int32_t index = ReadResonanceCount(search, k, "k");
    Shape s;
    s.divX = search.divX;
    s.divY = search.divY;
    s.option = option;
    s.scheme = search.scheme;
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
           " x " + std::to_string(s.divY) + SchemeShown(s.scheme) + ": alpha " + alpha +
           ", (kx, ky) = (" +
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
X, Y : ndarray of float64, shape (divx + 1, divy + 1)
    The coordinates of every node in phi's own shape, as numpy.meshgrid(x, y, indexing="ij")
    gives them: plt.pcolormesh(s.X, s.Y, s.phi, cmap="RdBu_r") draws it the right way up.
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
scheme : str
    The element's scheme that made it, "standard" or "low-dispersion".

In a notebook a Shape shows its figure. figure(), to_csv(), to_vtk() and to_table() write what
membrane-solve --shape writes; a Shape can be pickled.
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
scheme : str, optional
    Where the element's integrals are evaluated: "standard" (the default, the dialog's element)
    or "low-dispersion" (see solve()).

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
    py::class_<Shape> shape(m, "Shape", kShapeClassDoc);
    shape
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
        .def_property_readonly("scheme", [](const Shape& s) { return SchemeName(s.scheme); })
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
        .def(py::pickle(&PickledShape, &UnpickledShape))
        .def("__repr__", &Repr);
    BindFieldOutputs(shape, &FigureApi::shapeFigure);

    m.def("shape", &FindShape, py::arg("divx"), py::arg("divy"), py::arg("k"), py::kw_only(),
          py::arg("option") = true, py::arg("threads") = py::none(),
          py::arg("scheme") = kStandardScheme, kShapeDoc);
}
