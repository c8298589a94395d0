// The module's parts, one function each that adds its classes and functions to the module.
#pragma once

#include <pybind11/pybind11.h>

#include "solver/MembraneModel.h"

namespace py = pybind11;

// solve() and Solution.
void BindSolve(py::module_& m);
// modes(), modes_in() and sweep().
void BindResonances(py::module_& m);
// shape() and Shape.
void BindShapes(py::module_& m);
// study().
void BindStudy(py::module_& m);

// The record of the calling thread, made at its first use and used again by the next, so that
// a solve allocates and clears nothing of its 0.8 MB. Threads side by side each have their own.
MembraneModel& ThreadRecord();
