// The band elimination without pivoting as a Factorisation: the record's own stages, their loops
// and orders untouched, so that a record solved through it leaves the bits it always left.
#include "solver/BandElimination.h"
#include "solver/BandFactorisation.h"

namespace {

class BandFactorisation final : public Factorisation {
public:
    BandInertia Factor(SizedRecord& record) override
    {
        record.FactorBand();
        return record.PivotInertia();
    }
    // The right-hand side's part of the elimination with the multipliers FactorBand left, then
    // the back substitution: after FactorBand, the bits SolveBand leaves.
    void Solve(SizedRecord& record, double* w) override
    {
        const BandRef factors = BandOf(record);
        const BandRef band{factors.k, factors.stride, w, factors.nNode, factors.nBand};
        SubstituteBand(band);
    }
    BandInertia SolveRecordSystem(SizedRecord& record) override
    {
        record.SolveBand();
        return record.PivotInertia();
    }
};

}  // namespace

std::unique_ptr<Factorisation> MakeBandFactorisation()
{
    return std::make_unique<BandFactorisation>();
}
