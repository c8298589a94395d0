// Read-only views and copies of nodal values.
#include "Arrays.h"

#include <cstring>
#include <string>

namespace {

py::array ReadOnly(py::array array)
{
    array.attr("setflags")(py::arg("write") = false);
    return array;
}

}  // namespace

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

py::bytes DoubleBytes(const std::vector<double>& v)
{
    return {reinterpret_cast<const char*>(v.data()), v.size() * sizeof(double)};
}

std::vector<double> BytesDoubles(const py::bytes& bytes)
{
    const std::string text = bytes;
    std::vector<double> v(text.size() / sizeof(double));
    std::memcpy(v.data(), text.data(), v.size() * sizeof(double));
    return v;
}

py::array_t<double> Copy(const std::vector<double>& v)
{
    return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
}

py::array_t<double> GridCoordinate(const std::vector<double>& x, const std::vector<double>& y,
                                   bool alongX)
{
    py::array_t<double> grid({x.size(), y.size()});
    auto at = grid.mutable_unchecked<2>();
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = 0; j < y.size(); ++j)
            at(static_cast<py::ssize_t>(i), static_cast<py::ssize_t>(j)) = alongX ? x[i] : y[j];
    return grid;
}
