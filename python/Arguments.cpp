// The module's argument readers over the command layer's rules.
#include "Arguments.h"

#include <cmath>
#include <limits>
#include <string>

#include "command/RunArguments.h"
#include "command/Study.h"

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

// "bool: True" or "str: 'x'", at most a line.
std::string Shown(py::handle value)
{
    std::string repr = py::repr(value).cast<std::string>();
    if (repr.size() > 40)
        repr = repr.substr(0, 37) + "...";
    return std::string(py::str(py::type::handle_of(value).attr("__name__"))) + ": " + repr;
}

}  // namespace

double ReadReal(const RealArgument& real, const char* name)
{
    const py::handle value = real.value;
    const py::object numbersReal = py::module_::import("numbers").attr("Real");
    if (!py::isinstance(value, numbersReal) || py::isinstance<py::bool_>(value))
        throw py::type_error(std::string(name) + " takes a float, not " + Shown(value));
    return py::reinterpret_steal<py::float_>(PyNumber_Float(value.ptr())).cast<double>();
}

bool ReadFlag(const FlagArgument& flag, const char* name)
{
    const py::handle value = flag.value;
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>();
    const py::object numpyBool = py::module_::import("numpy").attr("bool_");
    if (py::isinstance(value, numpyBool))
        return PyObject_IsTrue(value.ptr()) == 1;
    if (PyLong_CheckExact(value.ptr())) {
        const long long n = value.cast<long long>();
        if (n == 0 || n == 1)
            return n == 1;
    }
    throw py::type_error(std::string(name) + " takes True or False, not " + Shown(value));
}

std::int32_t ReadCount(const CountArgument& count, const char* name,
                       std::optional<long long> limit)
{
    const py::handle value = count.value;
    long long n = 0;
    bool tooLarge = false;  // a whole number beyond the node numbering's, which names its limit
    const auto refuse = [&] {
        const long long most = limit.value_or(std::numeric_limits<std::int32_t>::max());
        const std::string range = limit || tooLarge ? "from 1 to " + std::to_string(most)
                                                    : std::string("of at least 1");
        return py::value_error(std::string(name) + " must be a whole number " + range + ", not " +
                               py::repr(value).cast<std::string>());
    };
    if (py::isinstance<py::bool_>(value)) {
        throw refuse();
    } else if (PyIndex_Check(value.ptr())) {  // int, numpy's integers
        const auto whole = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
        if (!whole)
            throw py::error_already_set();
        int overflow = 0;
        n = PyLong_AsLongLongAndOverflow(whole.ptr(), &overflow);
        tooLarge = overflow > 0;
        if (overflow != 0)
            throw refuse();
    } else if (PyFloat_Check(value.ptr())) {
        const double d = value.cast<double>();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 1e9)
            throw refuse();
        n = static_cast<long long>(d);
    } else {
        // Not a number at all: the wrong type, as for every other argument.
        throw py::type_error(std::string(name) + " takes an int, not " + Shown(value));
    }
    tooLarge = n > std::numeric_limits<std::int32_t>::max();
    if (n < 1 || n > limit.value_or(std::numeric_limits<std::int32_t>::max()))
        throw refuse();
    return static_cast<std::int32_t>(n);
}

std::pair<std::int32_t, std::int32_t> ReadMesh(const CountArgument& divx, const CountArgument& divy,
                                               int copies)
{
    const std::int32_t divX = ReadCount(divx, "divx", std::nullopt);
    const std::int32_t divY = ReadCount(divy, "divy", std::nullopt);
    if (const std::optional<std::string> large = MeshTooLarge(divX, divY, copies))
        throw py::value_error(*large);
    return {divX, divY};
}

namespace {

// The text of a str argument; a TypeError that names the argument for anything else.
std::string ReadText(const TextArgument& text, const char* name)
{
    if (!py::isinstance<py::str>(text.value))
        throw py::type_error(std::string(name) + " takes a str, not " + Shown(text.value));
    return text.value.cast<std::string>();
}

// The ValueError of a name that is none of those a text argument takes.
py::value_error NoSuchName(const TextArgument& text, const char* name, std::string_view names)
{
    return py::value_error(std::string(name) + " takes " + std::string(names) + ", not " +
                           py::repr(text.value).cast<std::string>());
}

}  // namespace

Scheme ReadScheme(const TextArgument& scheme)
{
    if (const std::optional<Scheme> read = ::ReadScheme(ReadText(scheme, "scheme")))
        return *read;
    throw NoSuchName(scheme, "scheme", kSchemeNames);
}

std::vector<Scheme> ReadStudySchemes(const TextArgument& scheme)
{
    if (std::optional<std::vector<Scheme>> read = ::ReadStudySchemes(ReadText(scheme, "scheme")))
        return std::move(*read);
    throw NoSuchName(scheme, "scheme", kStudySchemeNames);
}

Scheme UnpickledScheme(const py::tuple& t, std::size_t at, const char* what)
{
    if (t.size() <= at)
        return Scheme::Standard;
    if (const std::optional<Scheme> scheme = ::ReadScheme(t[at].cast<std::string>()))
        return *scheme;
    throw std::runtime_error(std::string("not a pickled ") + what);
}

std::string SchemeShown(Scheme scheme)
{
    return scheme == Scheme::Standard ? std::string() : ", " + std::string(SchemeName(scheme));
}

SolverRequest ReadSolver(const TextArgument& solver, std::int32_t divX, std::int32_t divY)
{
    const std::optional<SolverRequest> request = ReadSolverRequest(ReadText(solver, "solver"));
    if (!request)
        throw NoSuchName(solver, "solver", kSolverRequestNames);
    if (const std::optional<std::string_view> fault = SolverRequestFault(divX, divY, *request))
        throw py::value_error("solver " + std::string(*fault));
    return *request;
}

void ReadInterval(double a0, double a1)
{
    ReadFinite(a0, "a0");
    ReadFinite(a1, "a1");
    if (CheckInterval(a0, a1) == IntervalFault::Reversed)
        throw py::value_error("a0 must not exceed a1");
}

ResonanceSearch ReadSearch(const CountArgument& divx, const CountArgument& divy,
                           const std::optional<long long>& threads, const TextArgument& scheme)
{
    const std::int32_t divX = ReadCount(divx, "divx", std::nullopt);
    const std::int32_t divY = ReadCount(divy, "divy", std::nullopt);
    const Scheme element = ReadScheme(scheme);
    const int count = ReadThreads(threads);
    // Every thread factors on a record of its own.
    if (const std::optional<std::string> large = MeshTooLarge(divX, divY, count + 1))
        throw py::value_error(*large);
    return MeshSearch(divX, divY, count, element);
}

std::int32_t ReadResonanceCount(const ResonanceSearch& search, const CountArgument& value,
                                const char* name)
{
    const std::int32_t available = ResonanceCount(search.divX, search.divY);
    if (available < 1)
        throw py::value_error(NoResonanceText(search.divX, search.divY));
    return ReadCount(value, name, available);
}
