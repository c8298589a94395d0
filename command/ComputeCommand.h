// The compute command, the application's one use case: from the three input texts to the
// listed and tabled solution, with the defaults, the limit messages and the order of the report.
#pragma once

#include <cstdint>
#include <string_view>

#include "present/ReportSink.h"
#include "present/ReportText.h"
#include "solver/MembraneModel.h"
#include "solver/SizedRecord.h"
#include "solver/SolverChoice.h"

// The texts of the three input fields, as typed.
struct ComputeInputs {
    std::string_view divX;
    std::string_view divY;
    std::string_view alpha;
};

// What the input fields hold when the dialog opens, and what the batch tool assumes.
inline constexpr ComputeInputs kDefaultInputs = {" 90", " 30", " 5.0"};
// The same as numbers, for the front ends that take numbers (a test holds them equal).
inline constexpr std::int32_t kDefaultDivX = 90;
inline constexpr std::int32_t kDefaultDivY = 30;
inline constexpr double kDefaultAlpha = 5.0;

enum class ComputeOutcome {
    Solved,           // every nodal value finite
    SolvedNonFinite,  // completed, but some value is infinite or not a number
    Rejected,         // a division count outside its limits; nothing computed
};

// Messages of a rejected input, one list line each.
inline constexpr std::string_view kOverLimitLines[] = {
    "ｘ方向の分割数は90以下に ",
    "ｙ方向の分割数は30以下に",
    "して下さい。",
};
inline constexpr std::string_view kBelowOneLines[] = {
    "分割数は1以上に",
    "して下さい。",
};
// Listed after the values when some value is not finite.
inline constexpr std::string_view kNonFiniteLine =
    "解に有限でない値があります。αを変えて下さい。";

// The three inputs as numbers, as the texts convert or as a caller gives them.
struct ComputeValues {
    std::int32_t divX;
    std::int32_t divY;
    double alpha;
};

// The numerical stages of an accepted computation, in order, on a record whose counts are
// derived: boundary table, zeroing and assembly, boundary conditions, elimination.
void SolveRecord(MembraneModel& record);
void SolveRecord(SizedRecord& record);

// Runs one computation on the record and reports through sink. Accepted input: head lines,
// stages, m_bSolved = 1, a repaint request, the value lines and the table. Rejected input:
// only the message lines; m_bSolved stays 0, and the derived counts and arrays keep their
// previous contents. The wait cursor is the caller's.
ComputeOutcome RunCompute(MembraneModel& record, const ComputeInputs& inputs, ReportSink& sink,
                          ValueFormat format = ValueFormat::Fixed6);

// The same from the inputs' numbers: RunCompute is this after the conversion of the texts.
ComputeOutcome RunComputeValues(MembraneModel& record, const ComputeValues& values,
                                ReportSink& sink, ValueFormat format = ValueFormat::Fixed6);

// Whether a mesh fits the dialog's record: 1..90 divisions along x and 1..30 along y.
bool WithinDialogLimits(std::int32_t divX, std::int32_t divY);
// Whether a problem is solved on a record as the dialog's: within its limits and with its
// element. Every other goes on a record sized to its mesh, with its own element.
bool OnTheDialogsRecord(std::int32_t divX, std::int32_t divY, Scheme scheme);

// One problem, as every front end describes it beyond the dialog's three fields: the mesh, alpha,
// the raised centre peak, and the solver asked for. The counts are at least 1.
struct Problem {
    std::int32_t divX = kDefaultDivX;
    std::int32_t divY = kDefaultDivY;
    double alpha = kDefaultAlpha;
    bool option = true;
    SolverRequest solver = SolverRequest::Auto;
    Scheme scheme = Scheme::Standard;  // beyond the dialog's element, on a sized record only
};

// What a computation on a record sized to its mesh did.
struct SizedOutcome {
    ComputeOutcome outcome = ComputeOutcome::Solved;
    SolverForm form = SolverForm::Band;  // the form that solved it, ChooseSolverForm's
    BandInertia inertia{};               // of its factors
};

// The problem's computation on a record sized to its mesh (the record's counts are the
// problem's): the report as RunComputeValues makes it for an accepted input, the same stages in
// the same order, the last in the form ChooseSolverForm takes for the mesh and the request. For
// meshes beyond the dialog's; within them the band form gives the dialog's bits.
SizedOutcome RunComputeSized(SizedRecord& record, const Problem& problem, ReportSink& sink,
                             ValueFormat format);
