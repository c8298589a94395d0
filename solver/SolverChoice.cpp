// The one rule that chooses the factorisation of a mesh.
#include "solver/SolverChoice.h"

#include "solver/BandFactorisation.h"
#include "solver/Factorisation.h"
#include "solver/MembraneModel.h"
#include "solver/SparseFactor.h"

namespace {

bool WithinDialogRecord(std::int32_t divX, std::int32_t divY)
{
    return divX <= MembraneModel::kMaxDivX && divY <= MembraneModel::kMaxDivY;
}

}  // namespace

std::optional<SolverRequest> ReadSolverRequest(std::string_view name)
{
    if (name == "auto")
        return SolverRequest::Auto;
    if (name == "band")
        return SolverRequest::Band;
    if (name == "sparse")
        return SolverRequest::Sparse;
    if (name == "separable")
        return SolverRequest::Separable;
    return std::nullopt;
}

std::string_view SolverRequestName(SolverRequest request)
{
    switch (request) {
    case SolverRequest::Band:
        return "band";
    case SolverRequest::Sparse:
        return "sparse";
    case SolverRequest::Separable:
        return "separable";
    case SolverRequest::Auto:
        break;
    }
    return "auto";
}

std::string_view SolverFormName(SolverForm form)
{
    switch (form) {
    case SolverForm::Sparse:
        return "sparse LDL^T";
    case SolverForm::Separable:
        return "separable solver";
    case SolverForm::Band:
        break;
    }
    return "band elimination";
}

bool SeparableBuiltIn()
{
#ifdef MEMBRANE_SEPARABLE
    return true;
#else
    return false;
#endif
}

SolverForm ChooseSolverForm(std::int32_t divX, std::int32_t divY, SolverRequest request)
{
    if (WithinDialogRecord(divX, divY))
        return SolverForm::Band;
    switch (request) {
    case SolverRequest::Band:
        return SolverForm::Band;
    case SolverRequest::Sparse:
        return SolverForm::Sparse;
    case SolverRequest::Separable:
        return SolverForm::Separable;
    case SolverRequest::Auto:
        break;
    }
    return divY >= kSparseFromDivY ? SolverForm::Sparse : SolverForm::Band;
}

std::optional<std::string_view> SolverRequestFault(std::int32_t divX, std::int32_t divY,
                                                   SolverRequest request)
{
    if (request == SolverRequest::Sparse && WithinDialogRecord(divX, divY))
        return kSparseWithinDialogFault;
    if (request == SolverRequest::Separable && !SeparableBuiltIn())
        return kSeparableMissingFault;
    if (request == SolverRequest::Separable && WithinDialogRecord(divX, divY))
        return kSeparableWithinDialogFault;
    return std::nullopt;
}

std::unique_ptr<Factorisation> MakeFactorisation(SolverForm form)
{
    switch (form) {
    case SolverForm::Sparse:
        return std::make_unique<SparseFactor>();
    case SolverForm::Separable:  // no factorisation: SolveSeparable solves without one
    case SolverForm::Band:
        break;
    }
    return MakeBandFactorisation();
}
