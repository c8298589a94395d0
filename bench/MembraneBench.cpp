// Timings of the stages, of the whole compute sequence and of the dialog's compute from the
// click to the repainted map, at 10 x 5, 45 x 15 and 90 x 30 divisions; OpenBLAS's dgbsv and
// Eigen's SimplicialLDLT on the same constrained system, as ratios to SolveBand; the resonance
// modes of membrane-solve beside LAPACK's dsbgvx; and membrane-solve as a whole process beside a
// trivial one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QLineEdit>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "batch/Tool.h"
#include "bench/PeerSystems.h"
#include "command/ComputeCommand.h"
#include "solver/BandElimination.h"
#include "solver/SizedRecord.h"
#include "ui/MembraneDlg.h"
#include "ui/Resource.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

void SetUpModel(MembraneModel& m, int divX, int divY)
{
    m.m_nDivX = divX;
    m.m_nDivY = divY;
    m.DeriveCounts();
    m.m_dAlpha = 5.0;
    m.m_bOption = 1;
    m.BuildBoundaryTable();
}

// Copies rows 0..m_nNode of m_K and m_W, the part a computation uses.
void CopySystem(MembraneModel& to, const MembraneModel& from)
{
    std::memcpy(to.m_K, from.m_K, sizeof(from.m_K[0]) * (from.m_nNode + 1));
    std::memcpy(to.m_W, from.m_W, sizeof(from.m_W[0]) * (from.m_nNode + 1));
}

// The record after assembly and after ApplyBoundary, for a given mesh.
struct Snapshots {
    std::unique_ptr<MembraneModel> assembled = std::make_unique<MembraneModel>();
    std::unique_ptr<MembraneModel> constrained = std::make_unique<MembraneModel>();
    std::unique_ptr<MembraneModel> solved = std::make_unique<MembraneModel>();

    Snapshots(int divX, int divY)
    {
        for (MembraneModel* m : {assembled.get(), constrained.get(), solved.get()})
            SetUpModel(*m, divX, divY);
        assembled->ZeroSystem();
        assembled->AssembleElements();
        *constrained = *assembled;
        constrained->ApplyBoundary();
        *solved = *constrained;
        solved->SolveBand();
    }
};

void MeshArgs(benchmark::internal::Benchmark* b)
{
    b->Args({10, 5})->Args({45, 15})->Args({90, 30})->ArgNames({"divx", "divy"});
}

void BM_ZeroAndAssemble(benchmark::State& state)
{
    auto m = std::make_unique<MembraneModel>();
    SetUpModel(*m, state.range(0), state.range(1));
    for (auto _ : state) {
        m->ZeroSystem();
        m->AssembleElements();
        benchmark::DoNotOptimize(m->m_K[1][1]);
    }
}
BENCHMARK(BM_ZeroAndAssemble)->Apply(MeshArgs);

void BM_ApplyBoundary(benchmark::State& state)
{
    const Snapshots s(state.range(0), state.range(1));
    auto m = std::make_unique<MembraneModel>(*s.assembled);
    for (auto _ : state) {
        CopySystem(*m, *s.assembled);
        const auto t0 = Clock::now();
        m->ApplyBoundary();
        benchmark::DoNotOptimize(m->m_W[1]);
        state.SetIterationTime(Seconds(t0, Clock::now()));
    }
}
BENCHMARK(BM_ApplyBoundary)->Apply(MeshArgs)->UseManualTime();

// SolveBand as it stood before the vector forms: the right-looking elimination and the back
// substitution through memory. The baseline of BM_SolveBand, kept here as it was.
void BaselineSolveBand(MembraneModel& record)
{
    const int nNode = record.m_nNode;
    const int nBand = record.m_nBand;
    for (int i = 1; i <= nNode; ++i) {
        double* const rowI = record.m_K[i];
        for (int m = 2; m <= nBand; ++m) {
            const int j = i + m - 1;
            if (j > nNode)
                continue;
            const double q = rowI[m] / rowI[1];
            double* __restrict const dst = record.m_K[j] + 1;
            const double* __restrict const src = rowI + m;
            const int len = nBand - m + 1;
            for (int k = 0; k < len; ++k)
                dst[k] = dst[k] - q * src[k];
            rowI[m] = q;
            record.m_W[j] = record.m_W[j] - q * record.m_W[i];
        }
        record.m_W[i] = record.m_W[i] / rowI[1];
    }
    for (int i = nNode; i >= 1; --i) {
        const double* const rowI = record.m_K[i];
        for (int m = 2; m <= nBand; ++m) {
            const int j = i + m - 1;
            if (j <= nNode)
                record.m_W[i] = record.m_W[i] - rowI[m] * record.m_W[j];
        }
    }
}

// SolveBand in the form this processor runs, and the baseline, alternately in every iteration:
// the ratio comes from the same moments of a noisy machine. Both give the same bits.
void BM_SolveBand(benchmark::State& state)
{
    const Snapshots s(state.range(0), state.range(1));
    auto m = std::make_unique<MembraneModel>(*s.constrained);
    auto baseline = std::make_unique<MembraneModel>(*s.constrained);
    BaselineSolveBand(*baseline);
    m->SolveBand();
    if (std::memcmp(m->m_W, baseline->m_W, sizeof m->m_W) != 0) {
        state.SkipWithError("SolveBand and the baseline differ");
        return;
    }
    double ours = 0.0, before = 0.0;
    for (auto _ : state) {
        CopySystem(*m, *s.constrained);
        auto t0 = Clock::now();
        BaselineSolveBand(*m);
        benchmark::DoNotOptimize(m->m_W[1]);
        before += Seconds(t0, Clock::now());
        CopySystem(*m, *s.constrained);
        t0 = Clock::now();
        m->SolveBand();
        benchmark::DoNotOptimize(m->m_W[1]);
        const double t = Seconds(t0, Clock::now());
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["over_baseline"] = ours / before;
    state.SetLabel(EliminationKernelName(ActiveEliminationKernel()));
}
BENCHMARK(BM_SolveBand)->Apply(MeshArgs)->UseManualTime();

// Times the peer and SolveBand alternately in every iteration, so that the ratio comes from
// the same moments of a noisy machine. The reported time is the peer's.
template <class Peer>
void TimePeer(benchmark::State& state, const Snapshots& s, Peer&& peer)
{
    auto m = std::make_unique<MembraneModel>(*s.constrained);
    double ours = 0.0, theirs = 0.0;
    for (auto _ : state) {
        CopySystem(*m, *s.constrained);
        auto t0 = Clock::now();
        m->SolveBand();
        ours += Seconds(t0, Clock::now());
        const double t = peer();
        theirs += t;
        state.SetIterationTime(t);
    }
    state.counters["ratio_to_SolveBand"] = theirs / ours;
}

void BM_LapackDgbsv(benchmark::State& state)
{
    const Snapshots s(state.range(0), state.range(1));
    const LapackBandSystem original(*s.constrained);
    LapackBandSystem work = original;
    std::vector<int> pivots;
    SolveWithLapack(work, pivots);
    const double diff = RelativeDifference(*s.solved, work.b);
    if (diff > 1e-9) {
        state.SkipWithError(("dgbsv disagrees: " + std::to_string(diff)).c_str());
        return;
    }
    TimePeer(state, s, [&] {
        work.ab = original.ab;
        work.b = original.b;
        const auto t0 = Clock::now();
        SolveWithLapack(work, pivots);
        benchmark::DoNotOptimize(work.b[0]);
        return Seconds(t0, Clock::now());
    });
    state.counters["rel_diff"] = diff;
}
BENCHMARK(BM_LapackDgbsv)->Apply(MeshArgs)->UseManualTime();

void BM_EigenSimplicialLDLT(benchmark::State& state)
{
    const Snapshots s(state.range(0), state.range(1));
    const Eigen::SparseMatrix<double> a = EigenMatrix(*s.constrained);
    const Eigen::VectorXd b = EigenRhs(*s.constrained);
    Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> ldlt(a);
    Eigen::VectorXd x = ldlt.solve(b);
    const double diff = RelativeDifference(*s.solved, x);
    if (ldlt.info() != Eigen::Success || diff > 1e-9) {
        state.SkipWithError(("SimplicialLDLT disagrees: " + std::to_string(diff)).c_str());
        return;
    }
    TimePeer(state, s, [&] {
        const auto t0 = Clock::now();
        Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> f(a);
        x = f.solve(b);
        benchmark::DoNotOptimize(x.data());
        return Seconds(t0, Clock::now());
    });
    state.counters["rel_diff"] = diff;
}
BENCHMARK(BM_EigenSimplicialLDLT)->Apply(MeshArgs)->UseManualTime();

void BM_ComputeSequence(benchmark::State& state)
{
    auto m = std::make_unique<MembraneModel>();
    const std::string x = std::to_string(state.range(0)), y = std::to_string(state.range(1));
    CollectingSink sink;
    for (auto _ : state) {
        RunCompute(*m, {x, y, " 5.0"}, sink);
        benchmark::DoNotOptimize(sink.table.data());
    }
}
BENCHMARK(BM_ComputeSequence)->Apply(MeshArgs);

// The compute sequence at 90 x 30 on a record sized to the mesh, in either scheme (0 standard,
// 1 low-dispersion), and its assembly alone: the low-dispersion rule changes only the element's
// fractions, so both cost the same.
void BM_SizedComputeByScheme(benchmark::State& state)
{
    const auto scheme = static_cast<Scheme>(state.range(0));
    SizedRecord record(90, 30);
    CollectingSink sink;
    for (auto _ : state) {
        RunComputeSized(record, {90, 30, 5.0, true, SolverRequest::Band, scheme}, sink,
                        ValueFormat::Fixed6);
        benchmark::DoNotOptimize(record.m_W[1]);
    }
}
BENCHMARK(BM_SizedComputeByScheme)->Arg(0)->Arg(1)->ArgName("scheme");

void BM_AssembleByScheme(benchmark::State& state)
{
    SizedRecord record(90, 30);
    record.m_scheme = static_cast<Scheme>(state.range(0));
    record.m_dAlpha = 5.0;
    for (auto _ : state) {
        record.ZeroSystem();
        record.AssembleElements();
        benchmark::DoNotOptimize(record.m_K[1][1]);
    }
}
BENCHMARK(BM_AssembleByScheme)->Arg(0)->Arg(1)->ArgName("scheme");

// membrane-solve's resonance modes on 90 x 30 with 2 threads, run as its main runs them, the
// output thrown away.
double RunTool(std::vector<std::string_view> args, std::FILE* sink)
{
    const auto t0 = Clock::now();
    const int status = RunTool(args, sink, sink);
    const double t = Seconds(t0, Clock::now());
    return status == kExitSolved ? t : -1.0;
}

// --modes 20, and dsbgvx for the same 20 eigenvalues of the free nodes' pencil, alternately.
void BM_Modes20(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    const FreePencil pencil(90, 30);
    double ours = 0.0, theirs = 0.0;
    for (auto _ : state) {
        const double t = RunTool({"--modes", "20", "--threads", "2"}, sink);
        const auto t0 = Clock::now();
        const std::vector<double> reference = BandModes(pencil, 32, 1, 20);
        theirs += Seconds(t0, Clock::now());
        if (t < 0.0 || reference.size() != 20) {
            state.SkipWithError("membrane-solve --modes or dsbgvx failed");
            break;
        }
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["dsbgvx_over_ours"] = theirs / ours;
    std::fclose(sink);
}
BENCHMARK(BM_Modes20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Sweep1000(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        const double t = RunTool({"--sweep", "0:10:1000", "--threads", "2"}, sink);
        if (t < 0.0) {
            state.SkipWithError("membrane-solve --sweep failed");
            break;
        }
        state.SetIterationTime(t);
    }
    std::fclose(sink);
}
BENCHMARK(BM_Sweep1000)->UseManualTime()->Unit(benchmark::kMillisecond);

// membrane-solve in process with the drawing library of the build, its output thrown away.
double RunToolDrawing(std::vector<std::string_view> args, std::FILE* sink)
{
    const auto t0 = Clock::now();
    const int status = RunTool(args, ToolContext{sink, sink, MEMBRANE_FIGURES_LIBRARY});
    const double t = Seconds(t0, Clock::now());
    return status == kExitSolved ? t : -1.0;
}

// --shapes 20 with its figure at 90 x 30, and LAPACK's dsbgvx with vectors for the same 20
// shapes of the free nodes' pencil, alternately. dsbgvx forms the whole n x n transformation of
// its reduction, seconds at this size: three repetitions of one iteration.
void BM_Shapes20(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    const FreePencil pencil(90, 30);
    double ours = 0.0, theirs = 0.0;
    for (auto _ : state) {
        const double t = RunToolDrawing({"--shapes", "20", "--figure", "/tmp/membrane-bench-shapes.png",
                                         "--threads", "2"}, sink);
        const auto t0 = Clock::now();
        const PeerShapes reference = BandShapes(pencil, 32, 1, 20);
        theirs += Seconds(t0, Clock::now());
        if (t < 0.0 || reference.z.size() != 20) {
            state.SkipWithError("membrane-solve --shapes or dsbgvx failed");
            break;
        }
        ours += t;
        state.SetIterationTime(t);
    }
    state.counters["dsbgvx_over_ours"] = theirs / ours;
    std::remove("/tmp/membrane-bench-shapes.png");
    std::fclose(sink);
}
BENCHMARK(BM_Shapes20)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_Shape1000(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        const double t = RunToolDrawing({"--shape", "1000", "--threads", "2"}, sink);
        if (t < 0.0) {
            state.SkipWithError("membrane-solve --shape failed");
            break;
        }
        state.SetIterationTime(t);
    }
    std::fclose(sink);
}
BENCHMARK(BM_Shape1000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The sweep with its plot, whose resonance lines need the participation of each of the 533
// resonances in 0..10.
void BM_SweepPlot1000(benchmark::State& state)
{
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        const double t = RunToolDrawing({"--sweep", "0:10:1000", "--plot",
                                         "/tmp/membrane-bench-plot.png", "--threads", "2"}, sink);
        if (t < 0.0) {
            state.SkipWithError("membrane-solve --sweep --plot failed");
            break;
        }
        state.SetIterationTime(t);
    }
    std::remove("/tmp/membrane-bench-plot.png");
    std::fclose(sink);
}
BENCHMARK(BM_SweepPlot1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);

// Starts a program with its output thrown away and waits for it; the wall time, or -1 when it
// did not exit with status 0.
double RunProgram(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    const double t = Seconds(t0, Clock::now());
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? t : -1.0;
}

// membrane-solve as a whole process, as a script calls it, and a trivial C++ program that prints
// one line with iostream, alternately; over_trivial is the ratio of their times.
void BM_ProcessStartUp(benchmark::State& state)
{
    const std::vector<std::string> solve = {MEMBRANE_SOLVE_PROGRAM, "--divx",
                                            std::to_string(state.range(0)), "--divy",
                                            std::to_string(state.range(1))};
    const std::vector<std::string> trivial = {TRIVIAL_PROGRAM};
    double ours = 0.0, theirs = 0.0;
    for (auto _ : state) {
        const double t = RunProgram(solve);
        const double yardstick = RunProgram(trivial);
        if (t < 0.0 || yardstick < 0.0) {
            state.SkipWithError("membrane-solve or the trivial program failed");
            break;
        }
        ours += t;
        theirs += yardstick;
        state.SetIterationTime(t);
    }
    state.counters["over_trivial"] = ours / theirs;
}
BENCHMARK(BM_ProcessStartUp)
    ->Args({10, 5})->Args({90, 30})->ArgNames({"divx", "divy"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);

// Counts the paint events of the dialog itself.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void BM_DialogClickToRepaint(benchmark::State& state)
{
    auto dlg = std::make_unique<CMembraneDlg>();
    PaintCounter counter;
    dlg->installEventFilter(&counter);
    dlg->show();
    QCoreApplication::processEvents();
    qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_DIVX))->setText(QString::number(state.range(0)));
    qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_DIVY))->setText(QString::number(state.range(1)));
    auto* compute = qobject_cast<QPushButton*>(dlg->GetDlgItem(IDC_COMPUTE));
    for (auto _ : state) {
        compute->click();
        // The repaint request is served here: the dialog and its map are painted into the
        // backing store.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    state.counters["paints_per_click"] =
        benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DialogClickToRepaint)->Apply(MeshArgs)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The peers on one thread, as SolveBand runs; and which of them ran, in the report.
    openblas_set_num_threads(1);
    benchmark::AddCustomContext("lapack", std::string(openblas_get_config()) + " (core " +
                                              openblas_get_corename() + "), 1 thread");
    benchmark::AddCustomContext("elimination", EliminationKernelName(ActiveEliminationKernel()));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
