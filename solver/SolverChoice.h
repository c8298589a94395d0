// Which factorisation solves a mesh's system: the one rule every front end takes, for the single
// solve, the shifted systems of the counts and inverse iteration. (A sweep solves each point by
// the band elimination, whose first zero pivot it reports.)
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The band elimination, the dialog's own; or the sparse LDL^T in the grid's nested dissection
// order (SparseFactor), which costs far less on large meshes; or fast diagonalisation of the
// grid's separable system (SeparableSolve), which needs no band and no factorisation at all.
enum class SolverForm { Band, Sparse, Separable };

// What a caller asks for: one form by name, or the faster for the mesh.
enum class SolverRequest { Auto, Band, Sparse, Separable };

// The names the front ends take, in the words of their refusals.
inline constexpr std::string_view kSolverRequestNames = "band, sparse, separable or auto";
// "band", "sparse", "separable" or "auto", exactly; nothing for any other text.
std::optional<SolverRequest> ReadSolverRequest(std::string_view name);
std::string_view SolverRequestName(SolverRequest request);
// "band elimination", "sparse LDL^T", "separable solver": what solved a mesh, as the notes say
// it.
std::string_view SolverFormName(SolverForm form);

// The sparse factorisation costs less than the band's from about this many divisions along y on
// (the band's work grows with divY^3, the sparse one's far slower; see docs/benchmarks.md).
inline constexpr std::int32_t kSparseFromDivY = 100;

// The form that solves a divX x divY mesh, counts of at least 1. Within the dialog's 90 x 30 the
// band elimination alone, so that every output there is the dialog's, bit for bit (a request of
// the sparse form there is the front end's to refuse, SolverRequestFault). Beyond it the form
// asked for; for Auto the sparse one from kSparseFromDivY divisions along y on.
SolverForm ChooseSolverForm(std::int32_t divX, std::int32_t divY, SolverRequest request);

// Why the sparse form is refused within the dialog's 90 x 30, after the name it was asked by.
inline constexpr std::string_view kSparseWithinDialogFault =
    "'sparse' applies beyond the dialog's 90 x 30 alone; within it the band elimination solves "
    "as the dialog does";
inline constexpr std::string_view kSeparableWithinDialogFault =
    "'separable' applies beyond the dialog's 90 x 30 alone; within it the band elimination "
    "solves as the dialog does";
inline constexpr std::string_view kSeparableMissingFault =
    "'separable' is not built into this program (it needs FFTW)";
// Whether this build has the separable solver: the native ones do, the page's has no FFTW.
bool SeparableBuiltIn();
// Whether a form solves on the band of a record (the separable solver needs none).
constexpr bool NeedsBand(SolverForm form)
{
    return form != SolverForm::Separable;
}
// Why a request cannot be met on the mesh: the sparse or the separable form within the dialog's
// limits, or the separable one where it is not built in; nothing where it can.
std::optional<std::string_view> SolverRequestFault(std::int32_t divX, std::int32_t divY,
                                                   SolverRequest request);
