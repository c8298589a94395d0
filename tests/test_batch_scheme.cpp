// --scheme through membrane-solve: every task that builds a mesh passes the scheme on to the
// layers that own it, and its outputs name it where they name the mesh.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RunProcess.h"
#include "ToolRun.h"
#include "batch/Tool.h"
#include "command/ComputeCommand.h"
#include "command/LowestResonances.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "command/Sweep.h"
#include "present/ReportText.h"

namespace {

const std::string kLow = "low-dispersion";

// The table of a problem as the command layer computes it, each value the shortest text.
std::string SizedTable(const Problem& problem)
{
    const auto record = std::make_unique<SizedRecord>(problem.divX, problem.divY);
    struct : ReportSink {
        void ResetList() override {}
        void AddLine(std::string_view) override {}
        void AddValueLines(const NodalField&, ValueFormat) override {}
        void RequestRepaint() override {}
        void SetTable(std::string text) override { table = std::move(text); }
        std::string table;
    } sink;
    RunComputeSized(*record, problem, sink, ValueFormat::Shortest);
    return sink.table;
}

std::string Lines(const std::vector<double>& alphas)
{
    std::string text;
    for (std::size_t k = 0; k < alphas.size(); ++k)
        text += std::to_string(k + 1) + '\t' + Shortest(alphas[k]) + '\n';
    return text;
}

TEST(BatchScheme, TheSolveAndTheResonancesTakeIt)
{
    // Within the dialog's limits and beyond 100 divisions along y, where the sparse form solves.
    for (const auto& [divX, divY] : {std::pair{60, 20}, {30, 101}}) {
        const std::vector<std::string> mesh = {"--divx", std::to_string(divX), "--divy",
                                               std::to_string(divY), "--alpha", "2.5", "--exact"};
        std::vector<std::string> args = mesh;
        args.insert(args.end(), {"--scheme", kLow});
        const ProcessResult low = Solve(args);
        ASSERT_EQ(low.status, 0) << low.err;
        EXPECT_EQ(low.out, SizedTable({divX, divY, 2.5, true, SolverRequest::Auto,
                                       Scheme::LowDispersion}));
        EXPECT_NE(low.out, Solve(mesh).out);
    }
    // The default and --scheme standard are the dialog's computation, byte for byte.
    EXPECT_EQ(Solve({"--scheme", "standard"}).out, Solve({}).out);

    const ProcessResult modes = Solve({"--modes", "6", "--divx", "30", "--divy", "10",
                                       "--scheme", kLow, "--threads", "1"});
    ASSERT_EQ(modes.status, 0) << modes.err;
    EXPECT_EQ(modes.out, Lines(LowestResonances(MeshSearch(30, 10, 1, Scheme::LowDispersion), 6)));
    const ProcessResult in = Solve({"--modes-in", "0:0.7", "--divx", "30", "--divy", "10",
                                    "--scheme", kLow, "--details"});
    ASSERT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(in.out.substr(in.out.find('\n') + 1, 2), "1,");
    EXPECT_NE(in.out.find(',' + Shortest(LowestResonances(
                                 MeshSearch(30, 10, 1, Scheme::LowDispersion), 1)[0]) + ','),
              std::string::npos)
        << in.out;

    const ProcessResult sweep = Solve({"--sweep", "0.5:1.5:3", "--divx", "12", "--divy", "4",
                                       "--scheme", kLow, "--quiet"});
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    std::string expected(kSweepCsvHeader);
    for (const SweepPoint& p : RunSweep({12, 4, true, Scheme::LowDispersion}, 0.5, 1.5, 3, 0, 3, 1))
        expected += SweepCsvRow(p);
    EXPECT_EQ(sweep.out, expected);
}

TEST(BatchScheme, TheOutputsNameItWhereTheyNameTheMesh)
{
    const std::string dir = testing::TempDir() + "membrane-scheme/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const ProcessResult shape = Solve({"--shape", "2", "--divx", "30", "--divy", "10",
                                       "--scheme", kLow, "--vtk", "-", "--figure",
                                       dir + "shape.svg"});
    ASSERT_EQ(shape.status, 0) << shape.err;
    const std::string header = shape.out.substr(0, shape.out.find('\n', 27));
    EXPECT_TRUE(header.ends_with(": 30 x 10 divisions, low-dispersion scheme")) << header;
    EXPECT_NE(ReadWholeFile(dir + "shape.svg").find("30 x 10 divisions, low-dispersion scheme"),
              std::string::npos);
    const ProcessResult standard =
        Solve({"--shape", "2", "--divx", "30", "--divy", "10", "--vtk", "-"});
    EXPECT_EQ(standard.out.find("scheme"), std::string::npos) << "the standard titles as before";

    ASSERT_EQ(Solve({"--shapes", "2", "--scheme", kLow, "--figure", dir + "shapes.svg"}).status,
              0);
    EXPECT_NE(ReadWholeFile(dir + "shapes.svg").find("90 x 30 divisions, low-dispersion scheme"),
              std::string::npos);
    std::filesystem::remove_all(dir);

    const ProcessResult study = Solve({"--study", "--alpha", "2", "--option", "off", "--scheme",
                                       "both", "--ladder", "15x5,30x10"});
    ASSERT_EQ(study.status, 0) << study.err;
    EXPECT_EQ(study.out, StudySolutionCsv(StudySolution(2.0, {{15, 5}, {30, 10}},
                                                        *ReadStudySchemes("both"))));
    const ProcessResult modes = Solve({"--study", "--modes", "2", "--scheme", kLow, "--ladder",
                                       "15x5,30x10", "--threads", "1"});
    EXPECT_EQ(modes.out, StudyResonanceCsv(StudyResonances(2, {{15, 5}, {30, 10}}, 1,
                                                           Scheme::LowDispersion)));
    // The note of a coarse mesh is the scheme's.
    EXPECT_EQ(Solve({"--scheme", kLow, "--option", "off"}).err,
              "membrane-solve: " + *AccuracyNote({90, 30}, 5.0, Scheme::LowDispersion) + '\n');
}

TEST(BatchScheme, RefusalsAreOneLine)
{
    const ProcessResult lenient = Solve({"--lenient", "--scheme", kLow});
    EXPECT_EQ(lenient.status, kExitUsage);
    EXPECT_EQ(lenient.err, "membrane-solve: --lenient computes with the dialog's element alone: "
                           "--scheme low-dispersion applies without it\n");
    EXPECT_EQ(lenient.out, "");
    EXPECT_EQ(Solve({"--lenient", "--scheme", "standard", "--quiet"}).status, 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--scheme", "both"}, {"--modes", "2", "--scheme", "Low"}}) {
        const ProcessResult r = Solve(args);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(r.err, "membrane-solve: --scheme takes standard or low-dispersion, not '" +
                             args.back() + "'\n");
    }
    const ProcessResult study = Solve({"--study", "--modes", "2", "--scheme", "all"});
    EXPECT_EQ(study.err, "membrane-solve: --scheme with --study takes standard, low-dispersion "
                         "or both, not 'all'\n");
}

}  // namespace
