// The module's argument readers over the command layer's rules.
#include "Arguments.h"

#include <cmath>
#include <string>

#include "command/RunArguments.h"

namespace {

void ReadFinite(double value, const char* name)
{
    if (!std::isfinite(value))
        throw py::value_error(std::string(name) + " must be finite, not " +
                              py::repr(py::float_(value)).cast<std::string>());
}

int ReadThreads(const std::optional<long long>& threads)
{
    if (!threads)
        return EveryProcessor();
    if (!ThreadsAccepted(*threads))
        throw py::value_error("threads must be from 1 to " + std::to_string(kMostThreads) +
                              ", not " + std::to_string(*threads));
    return static_cast<int>(*threads);
}

}  // namespace

std::int32_t ReadCount(const CountArgument& count, const char* name, long long limit)
{
    const py::handle value = count.value;
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

void ReadInterval(double a0, double a1)
{
    ReadFinite(a0, "a0");
    ReadFinite(a1, "a1");
    if (CheckInterval(a0, a1) == IntervalFault::Reversed)
        throw py::value_error("a0 must not exceed a1");
}

ResonanceSearch ReadSearch(const CountArgument& divx, const CountArgument& divy,
                           const std::optional<long long>& threads)
{
    return MeshSearch(ReadCount(divx, "divx", MembraneModel::kMaxDivX),
                      ReadCount(divy, "divy", MembraneModel::kMaxDivY), ReadThreads(threads));
}

std::int32_t ReadResonanceCount(const ResonanceSearch& search, const CountArgument& value,
                                const char* name)
{
    const std::int32_t available = ResonanceCount(search.divX, search.divY);
    if (available < 1)
        throw py::value_error(NoResonanceText(search.divX, search.divY));
    return ReadCount(value, name, available);
}
