// membrane-solve at its edges: memory that cannot be had, two outputs in one file, alphas whose
// square overflows, a study with nothing finite to compare, and values too long to echo. Each
// front end's own tests hold that it passes these on; here the tool's words and statuses.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ToolRun.h"
#include "command/RunArguments.h"
#include "solver/SizedRecord.h"

namespace {

namespace fs = std::filesystem;

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Under a limit of the process's address space that the check against the machine's memory
// does not see, the run ends in one line with the memory refusal's status, on one thread or
// several, instead of an abort.
TEST(BatchEdges, MemoryThatCannotBeHadEndsTheRunInOneLine)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    const auto limited = [](const std::string& task) {
        return RunProcess("/bin/sh",
                          {"-c", "ulimit -v 400000 && exec \"$0\" --divx 6000 --divy 99 " + task +
                                     " >/dev/null",
                           MEMBRANE_SOLVE});
    };
    for (const std::string task : {"", "--sweep 1:2:4 --threads 2"}) {
        const ProcessResult r = limited(task);
        EXPECT_EQ(r.status, kExitRejected) << task << r.err;
        EXPECT_EQ(r.err, "membrane-solve: " + AllocationRefusal(6000, 99, 1) + "\n") << task;
    }
    // The resonances of a mesh beyond the dialog's come in closed form, in little memory.
    const ProcessResult modes = limited("--modes 2 --details --threads 2");
    EXPECT_EQ(modes.status, 0) << modes.err;
}

// Two outputs that end in one file are refused before anything is solved, whatever their
// spelling; the file is left as it was. A device takes any number of outputs.
TEST(BatchEdges, TwoOutputsInOneFileAreRefusedBeforeTheSolve)
{
    const std::string dir = testing::TempDir() + "membrane-two-outputs/";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string a = dir + "a";
    const std::vector<std::string> mesh{"--divx", "2", "--divy", "1"};
    const auto run = [&](std::vector<std::string> outputs) {
        outputs.insert(outputs.begin(), mesh.begin(), mesh.end());
        return Solve(outputs);
    };
    ProcessResult r = run({"--csv", a, "--vtk", dir + "./a"});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, "membrane-solve: --csv and --vtk name the same file '" + dir +
                         "./a'; give each output a file of its own\n");
    EXPECT_FALSE(fs::exists(a));
    {
        std::FILE* f = std::fopen(a.c_str(), "w");
        std::fputs("kept", f);
        std::fclose(f);
    }
    fs::create_symlink(a, dir + "link");
    for (const std::vector<std::string>& twice :
         {std::vector<std::string>{"--csv", a, "--vtk", dir + "link"},
          {"--figure", a + ".svg",
           "--map", dir + "../" + fs::path(dir).parent_path().filename().string() + "/a.svg"},
          {"--map", dir + "link", "--figure", a, "--csv", dir + "b"}}) {
        r = run(twice);
        EXPECT_EQ(r.status, kExitUsage) << twice[1];
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(ReadWholeFile(a), "kept");
    EXPECT_FALSE(fs::exists(a + ".svg"));

    r = run({"--csv", "/dev/null", "--vtk", "/dev/null", "--map", "/dev/null"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = run({"--csv", a, "--vtk", dir + "v"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReadWholeFile(a).starts_with("node,i,j,x,y,w\n"));
    fs::remove_all(dir);
}

// Where alpha^2 overflows, every resonance of the mesh is below alpha: listed and counted, never
// an empty list or a negative count.
TEST(BatchEdges, CountsAboveTheHighestResonanceAreEveryResonance)
{
    ProcessResult r = SolveInProcess({"--divx", "2", "--divy", "1", "--modes-in", "0:1e160"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, SolveInProcess({"--divx", "2", "--divy", "1", "--modes", "2"}).out);
    r = SolveInProcess({"--divx", "10", "--divy", "5", "--sweep", "0:1e308:3"});
    EXPECT_EQ(r.status, kExitNonFinite);
    EXPECT_EQ(r.out, "alpha,max_abs_w,modes_below,first_zero_pivot\n0,5,0,0\n5e+307,nan,54,7\n"
                     "1e+308,nan,54,7\n");
}

// The study at alpha 0 compares with the static limit; where the solves are not finite it
// writes its rows, says so and ends as a non-finite solve ends; a ladder whose meshes lack some
// of the resonances asked for says how many each has.
TEST(BatchEdges, AStudySaysWhatItsRowsCannotShow)
{
    ProcessResult r = SolveInProcess({"--study", "--option", "off", "--alpha", "0.0", "--ladder",
                                      "15x5,30x10"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("nan"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n15,5,1,inf,"), std::string::npos) << r.out;

    r = SolveInProcess(
        {"--study", "--option", "off", "--alpha", "1e308", "--ladder", "15x5,30x10"});
    EXPECT_EQ(r.status, kExitNonFinite);
    EXPECT_EQ(Lines(r.out), 3);
    EXPECT_NE(r.out.find(",nan,"), std::string::npos);
    EXPECT_EQ(r.err, "membrane-solve: the solves of the 15 x 5, 30 x 10 meshes are not finite, "
                     "and so are their errors\n");

    r = SolveInProcess({"--study", "--modes", "1000", "--ladder", "15x5,30x10"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r.out), 1 + 84 + 319);
    EXPECT_EQ(r.err, "membrane-solve: note: of the 1000 lowest resonances of the continuum, the "
                     "15 x 5 mesh has 84 and the 30 x 10 mesh 319; the table lists those\n");
    r = SolveInProcess({"--study", "--modes", "5", "--ladder", "15x5,30x10"});
    EXPECT_EQ(r.err, "");
}

// A refused value of 100 kB makes a message of one short line.
TEST(BatchEdges, ALongRefusedValueIsShortenedInItsMessage)
{
    const std::string huge(100'000, '7');
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--divx", huge},
          {"--alpha", "x" + huge},
          {"--study", "--option", "off", "--ladder", huge}}) {
        const ProcessResult r = SolveInProcess(args);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(Lines(r.err), 1);
        EXPECT_LT(r.err.size(), 400u) << args.back().size();
        EXPECT_NE(r.err.find("bytes in all)"), std::string::npos) << r.err.substr(0, 300);
    }
}

}  // namespace
