// The readers of the module's arguments, shared by its functions: counts as a user passes them
// (ints, whole floats, NumPy's integers), finite bounds, threads and the mesh of a search, each
// refused with a ValueError that names the argument and what it takes.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "solver/Resonance.h"

namespace py = pybind11;

// A count as the user passed it, read later by ReadCount; its signatures show it as an int.
struct CountArgument {
    py::object value;
};

namespace pybind11::detail {
template <>
struct type_caster<CountArgument> {
    PYBIND11_TYPE_CASTER(CountArgument, const_name("int"));
    bool load(handle source, bool)
    {
        value.value = reinterpret_borrow<object>(source);
        return true;
    }
    static handle cast(const CountArgument& count, return_value_policy, handle)
    {
        return count.value.inc_ref();
    }
};
}  // namespace pybind11::detail

// A real number and a flag as the user passed them, read later by ReadReal and ReadFlag, so that
// a wrong type is refused in words that name the argument, not in the binding's; their
// signatures show them as float and bool.
struct RealArgument {
    py::object value;
};
struct FlagArgument {
    py::object value;
};

namespace pybind11::detail {
template <>
struct type_caster<RealArgument> {
    PYBIND11_TYPE_CASTER(RealArgument, const_name("float"));
    bool load(handle source, bool)
    {
        value.value = reinterpret_borrow<object>(source);
        return true;
    }
    static handle cast(const RealArgument& real, return_value_policy, handle)
    {
        return real.value.inc_ref();
    }
};
template <>
struct type_caster<FlagArgument> {
    PYBIND11_TYPE_CASTER(FlagArgument, const_name("bool"));
    bool load(handle source, bool)
    {
        value.value = reinterpret_borrow<object>(source);
        return true;
    }
    static handle cast(const FlagArgument& flag, return_value_policy, handle)
    {
        return flag.value.inc_ref();
    }
};
}  // namespace pybind11::detail

// A real number: a float, an int or one of NumPy's; a TypeError that names the argument for
// anything else.
double ReadReal(const RealArgument& real, const char* name);
// True or False (NumPy's too, and the ints 0 and 1); a TypeError that names the argument for
// anything else, None above all, which is no answer to a yes-or-no question.
bool ReadFlag(const FlagArgument& flag, const char* name);

// An integer, or a float with a whole value, from 1 to limit, or of at least 1 without one.
std::int32_t ReadCount(const CountArgument& count, const char* name,
                       std::optional<long long> limit);
// The divisions of a mesh, of at least 1 each, whose `copies` records fit in memory.
std::pair<std::int32_t, std::int32_t> ReadMesh(const CountArgument& divx, const CountArgument& divy,
                                               int copies);
// a0 and a1 finite, a0 <= a1.
void ReadInterval(double a0, double a1);
// The mesh of a search and its threads (None: every processor).
ResonanceSearch ReadSearch(const CountArgument& divx, const CountArgument& divy,
                           const std::optional<long long>& threads);
// A number of resonances, or the number of one, of a mesh that has some.
std::int32_t ReadResonanceCount(const ResonanceSearch& search, const CountArgument& value,
                                const char* name);
