// The readers of the module's arguments, shared by its functions: counts as a user passes them
// (ints, whole floats, NumPy's integers), finite bounds, threads and the mesh of a search, each
// refused with a ValueError that names the argument and what it takes.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "solver/Resonance.h"
#include "solver/SolverChoice.h"

namespace py = pybind11;

// Arguments kept as the objects the user passed, each read later by its reader (ReadCount,
// ReadReal, ReadFlag), so that a wrong type is refused in words that name the argument, not in
// the binding's; their signatures show the types they take.
struct CountArgument {
    static constexpr auto kPythonName = pybind11::detail::const_name("int");
    py::object value;
};
struct RealArgument {
    static constexpr auto kPythonName = pybind11::detail::const_name("float");
    py::object value;
};
struct FlagArgument {
    static constexpr auto kPythonName = pybind11::detail::const_name("bool");
    py::object value;
};
struct TextArgument {
    static constexpr auto kPythonName = pybind11::detail::const_name("str");
    py::object value;
};

namespace pybind11::detail {
// Takes any object as it is.
template <class Argument>
struct UnreadArgumentCaster {
    PYBIND11_TYPE_CASTER(Argument, Argument::kPythonName);
    bool load(handle source, bool)
    {
        value.value = reinterpret_borrow<object>(source);
        return true;
    }
    static handle cast(const Argument& argument, return_value_policy, handle)
    {
        return argument.value.inc_ref();
    }
};
template <>
struct type_caster<CountArgument> : UnreadArgumentCaster<CountArgument> {};
template <>
struct type_caster<RealArgument> : UnreadArgumentCaster<RealArgument> {};
template <>
struct type_caster<FlagArgument> : UnreadArgumentCaster<FlagArgument> {};
template <>
struct type_caster<TextArgument> : UnreadArgumentCaster<TextArgument> {};
}  // namespace pybind11::detail

// A real number: a float, an int or one of NumPy's; a TypeError that names the argument for
// anything else.
double ReadReal(const RealArgument& real, const char* name);
// True or False (NumPy's too, and the ints 0 and 1); a TypeError that names the argument for
// anything else, None above all, which is no answer to a yes-or-no question.
bool ReadFlag(const FlagArgument& flag, const char* name);

// An integer, or a float with a whole value, from 1 to limit, or of at least 1 without one; a
// ValueError for another number (True among them), a TypeError for what is no number.
std::int32_t ReadCount(const CountArgument& count, const char* name,
                       std::optional<long long> limit);
// The divisions of a mesh, of at least 1 each, whose `copies` records fit in memory.
std::pair<std::int32_t, std::int32_t> ReadMesh(const CountArgument& divx, const CountArgument& divy,
                                               int copies);
// The solver asked for on a divX x divY mesh, by the names membrane-solve's --solver takes: a
// TypeError for anything but a str, a ValueError in the tool's words for another name or the
// sparse form within the dialog's limits.
SolverRequest ReadSolver(const TextArgument& solver, std::int32_t divX, std::int32_t divY);
// What every function that builds a mesh takes for its scheme unless told.
inline constexpr const char* kStandardScheme = "standard";
// The element's scheme by the names membrane-solve's --scheme takes, "standard" or
// "low-dispersion": a TypeError for anything but a str, a ValueError for another name.
Scheme ReadScheme(const TextArgument& scheme);
// The schemes of a study: those names, or "both".
std::vector<Scheme> ReadStudySchemes(const TextArgument& scheme);
// The scheme of a pickled result, by its name at `at`; the standard scheme where the tuple ends
// before it, as it does in pickles made before the schemes were offered.
Scheme UnpickledScheme(const py::tuple& t, std::size_t at, const char* what);
// ", low-dispersion" for a repr, nothing for the standard scheme.
std::string SchemeShown(Scheme scheme);
// a0 and a1 finite, a0 <= a1.
void ReadInterval(double a0, double a1);
// The mesh of a search with the scheme's element, and its threads (None: every processor).
ResonanceSearch ReadSearch(const CountArgument& divx, const CountArgument& divy,
                           const std::optional<long long>& threads, const TextArgument& scheme);
// A number of resonances, or the number of one, of a mesh that has some.
std::int32_t ReadResonanceCount(const ResonanceSearch& search, const CountArgument& value,
                                const char* name);
