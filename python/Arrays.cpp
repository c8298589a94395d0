// Read-only views and copies of nodal values.
#include "Arrays.h"

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

py::array_t<double> Copy(const std::vector<double>& v)
{
    return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
}
