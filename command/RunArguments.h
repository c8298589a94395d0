// The rules for what the batch tool, the Python module and the page take beyond the dialog's
// three fields: the mesh of a search, its threads, an interval of alpha. Each front end reads
// values of its own kind and words its own messages; what is accepted is decided here, once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "solver/Resonance.h"
#include "solver/SolverChoice.h"

// The element's scheme by the name every front end takes: "standard" or "low-dispersion";
// nothing for any other text.
inline constexpr std::string_view kSchemeNames = "standard or low-dispersion";
std::optional<Scheme> ReadScheme(std::string_view name);
// Why a name was refused, after the name of what reads it: "takes standard or low-dispersion,
// not 'both'".
std::string SchemeRefusal(std::string_view name);

// Threads for the resonances, the shapes and the sweep: 1..kMostThreads.
inline constexpr long long kMostThreads = 1024;

bool ThreadsAccepted(long long threads);

// A count of divisions as every front end reads it from a text: a whole number from 1 to the
// largest the node numbering takes; nothing for any other text.
std::optional<std::int32_t> ReadDivisionCount(std::string_view text);
// Why a text was refused, after the name of what reads it: "takes a whole number from 1 up, not
// '0'", or where it is a whole number too large, the real limit: "takes a whole number from 1 to
// 2147483647, not '2147483648'".
std::string DivisionCountRefusal(std::string_view text);

// The bytes a solve of a divX x divY mesh in the form needs: a record with its band, or for the
// separable solver the values alone (SeparableSolveBytes). Nothing beyond the 32-bit numbering.
std::optional<std::uint64_t> SolveBytes(std::int64_t divX, std::int64_t divY, SolverForm form);
// Whether `copies` records of a divX x divY mesh, for the form that solves it, fit in half of
// this machine's physical memory; if not, why not, in words: "a 20000 x 20000 mesh needs 52 GB,
// more than half of this machine's 24 GB".
std::optional<std::string> MeshTooLarge(std::int64_t divX, std::int64_t divY, int copies,
                                        SolverForm form = SolverForm::Band);
// The same against a budget of bytes that `budgetName` names: "a 2000 x 700 mesh needs 3.1 GB,
// more than <budgetName>".
std::optional<std::string> MeshOverBudget(std::int64_t divX, std::int64_t divY, int copies,
                                          double budget, std::string_view budgetName,
                                          SolverForm form = SolverForm::Band);
// Why a run that passed MeshTooLarge still could not get its memory, in words: "the memory for a
// 120000 x 99 mesh could not be allocated: it needs 7.9 GB or more".
std::string AllocationRefusal(std::int64_t divX, std::int64_t divY, int copies,
                              SolverForm form = SolverForm::Band);
// "52 GB", "830 MB": bytes in decimal units, to two significant digits or more, rounded to
// nearest; rounded up where that would read as no more than `above`, so that a need just above a
// budget never reads as the budget itself.
std::string ByteText(double bytes, double above = -1.0);
// One thread per processor, at least one.
int EveryProcessor();

// A search of the mesh with the scheme's element on the threads; the counts and threads must be
// accepted.
ResonanceSearch MeshSearch(std::int32_t divX, std::int32_t divY, int threads,
                           Scheme scheme = Scheme::Standard);

// "the 1 x 5 mesh has no resonance: every node lies on a fixed edge", for a mesh whose
// ResonanceCount is 0.
std::string NoResonanceText(std::int32_t divX, std::int32_t divY);

// An interval of alpha as every front end reads it from a text.
struct AlphaRange {
    double a0;
    double a1;
    std::string count;  // the third field of A0:A1:N, unread
};
// A0:A1 (withCount false) or A0:A1:N: finite bounds, a0 <= a1. On a bad text, nothing and the
// message that names `name` (the option or part that reads it) in `error`.
std::optional<AlphaRange> ReadAlphaRange(std::string_view name, std::string_view text,
                                         bool withCount, std::string& error);

// The bounds of an interval of alpha, both already read as finite: a0 <= a1.
enum class IntervalFault { None, Reversed };
IntervalFault CheckInterval(double a0, double a1);
