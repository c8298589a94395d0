// --solver separable through membrane-solve: the command layer's values passed on, the form
// named in its refusals, and memory in proportion to the mesh.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "RunProcess.h"
#include "ToolRun.h"
#include "batch/Tool.h"
#include "command/ComputeCommand.h"

namespace {

TEST(BatchSeparable, TheToolWritesTheSeparableSolversValues)
{
    for (const std::string scheme : {"standard", "low-dispersion"}) {
        const ProcessResult r = Solve({"--divx", "150", "--divy", "100", "--alpha", "2.5",
                                       "--solver", "separable", "--scheme", scheme, "--exact"});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto record = std::make_unique<SizedRecord>(150, 100, false);
        CollectingSink sink;
        const Scheme s = scheme == "standard" ? Scheme::Standard : Scheme::LowDispersion;
        const SizedOutcome done = RunComputeSized(
            *record, {150, 100, 2.5, true, SolverRequest::Separable, s}, sink,
            ValueFormat::Shortest);
        EXPECT_EQ(done.form, SolverForm::Separable);
        EXPECT_EQ(r.out, sink.table);
        EXPECT_NE(r.out, Solve({"--divx", "150", "--divy", "100", "--alpha", "2.5", "--solver",
                                "sparse", "--scheme", scheme, "--exact"})
                             .out)
            << "the values agree to rounding, not bit for bit";
    }
    const ProcessResult within = Solve({"--solver", "separable"});
    EXPECT_EQ(within.status, kExitUsage);
    EXPECT_EQ(within.err, "membrane-solve: --solver 'separable' applies beyond the dialog's "
                          "90 x 30 alone; within it the band elimination solves as the dialog "
                          "does\n");
}

// The band of 2880 x 960 would take 21 GB; the separable solver's values take 22 MB, and the run
// is refused by neither the check nor the allocation under a limit of 1 GB of address space.
TEST(BatchSeparable, AMeshTheBandCouldNotHoldIsSolvedInLittleMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory needs more address space than the limit";
#else
    const ProcessResult r =
        RunProcess("/bin/sh", {"-c", "ulimit -v 1000000; exec \"$0\" \"$@\" > /dev/null",
                               MEMBRANE_SOLVE, "--divx", "2880", "--divy", "960", "--solver",
                               "separable", "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
#endif
}

}  // namespace
