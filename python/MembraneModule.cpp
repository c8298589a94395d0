// membrane for Python: the computation of the dialog and of membrane-solve from NumPy, the very
// same doubles. A thin front end on the command layer, one part per concept: each converts its
// arguments, runs the command with the GIL released, and hands the values out as arrays over
// memory the result owns.
#include <pybind11/pybind11.h>

#include "Bindings.h"

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
shape     the shape of one resonance
study     how close the mesh comes to the membrane itself
)";
    m.attr("__version__") = MEMBRANE_VERSION;
    BindSolve(m);
    BindResonances(m);
    BindShapes(m);
    BindStudy(m);
}
