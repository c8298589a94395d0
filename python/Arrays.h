// Nodal values handed to NumPy as read-only views of memory that a result object owns, and
// small copies.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <vector>

namespace py = pybind11;

// first[n - 1] for the nodes n = 1..nodes, in node order, kept alive by owner.
py::array NodeValues(const py::object& owner, const double* first, std::int32_t nodes);
// The same as a grid [i, j] of the node columns and rows.
py::array NodeGrid(const py::object& owner, const double* first, std::int32_t divX,
                   std::int32_t divY);
// Doubles as bytes and back, every value to the bit: what a pickle keeps.
py::bytes DoubleBytes(const std::vector<double>& v);
std::vector<double> BytesDoubles(const py::bytes& bytes);
// A fresh array of the values.
py::array_t<double> Copy(const std::vector<double>& v);
// One coordinate of every node in the grid's own shape (len(x), len(y)), as
// numpy.meshgrid(x, y, indexing="ij") gives it: x[i] along X's rows with alongX, else y[j] along
// Y's columns.
py::array_t<double> GridCoordinate(const std::vector<double>& x, const std::vector<double>& y,
                                   bool alongX);
