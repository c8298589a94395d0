// What the tasks of membrane-solve share: the messages that end a run, the strict readings of
// the resonance options' numbers, and the writing of outputs and figures.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "batch/Tool.h"
#include "batch/ToolOptions.h"
#include "command/InputConversion.h"
#include "present/FigureApi.h"
#include "present/ReportText.h"
#include "solver/Resonance.h"

// Writes "membrane-solve: <message>" on err and returns kExitUsage.
int ReportBadValue(const ToolContext& context, std::string_view message);
// Writes "membrane-solve: <note>" on err.
void ReportNote(const ToolContext& context, std::string_view note);
// Writes the line that says a value is not finite on err and returns kExitNonFinite.
int ReportNonFinite(const ToolContext& context);
// Writes the line that says the memory of the mesh of --divx and --divy could not be had, and
// returns the memory refusal's status, kExitRejected.
int ReportAllocationFailure(const ToolOptions& options, const ToolContext& context);


// --divx and --divy as the tool reads them unless --lenient: whole numbers of at least 1. A text
// that is no whole number is a usage error (kExitUsage), a count below 1 or beyond the 32-bit
// integers is refused (kExitRejected): reported in one line, nothing returned.
struct MeshCounts {
    std::int32_t divX;
    std::int32_t divY;
};
std::optional<MeshCounts> ReadMeshCounts(const ToolOptions& options, const ToolContext& context,
                                         int& status);
// --alpha unless --lenient: a finite decimal number. Reports a bad text and returns nothing.
std::optional<double> ReadAlpha(const ToolOptions& options, const ToolContext& context);


// The scheme of --scheme, standard by default. Reports a bad name and returns nothing.
std::optional<Scheme> ReadScheme(const ToolOptions& options, const ToolContext& context);

// The threads of --threads, every processor by default. Reports a bad value and returns nothing.
std::optional<int> ReadThreads(const ToolOptions& options, const ToolContext& context);

// The mesh of --divx and --divy for a resonance task, its scheme of --scheme, and the threads of
// --threads (every processor by default). Reports a bad value and returns nothing.
std::optional<ResonanceSearch> ReadSearch(const ToolOptions& options, const ToolContext& context);

// The number of a resonance of the mesh, or how many: 1..min(resonances, most). Reports a mesh
// without resonances or a bad number, and returns nothing.
std::optional<std::int32_t> ReadResonanceNumber(std::string_view option, std::string_view text,
                                                const ResonanceSearch& search, std::int32_t most,
                                                const ToolContext& context);

// Writes the text of standard output, unless an output file takes standard output ("-").
// Reports a failure and returns false.
bool WriteStandardOutput(const ToolOptions& options, const ToolContext& context,
                         std::string_view text);
// Writes one output file. Reports a failure and returns false.
bool WriteOutput(const ToolContext& context, const std::string& file, std::string_view bytes);

// Draws one figure with the drawing library, loaded now if it is not yet, and writes it to file.
// Reports a library that cannot be loaded or a figure that cannot be drawn or written, and
// returns false.
using DrawFunction = std::function<bool(const FigureApi&, FigureFormat format, std::string& bytes,
                                        std::string& error)>;
bool DrawFigure(const ToolContext& context, const std::string& file, const DrawFunction& draw);

// The files of one field in a record, a solution or a shape, in the order of the options' help:
// the colour map, the figure (drawn by `figure`, solutionFigure or shapeFigure), CSV and VTK,
// titled `title`. The first that cannot be written ends them: reported, false.
bool WriteFieldFiles(const ToolOptions& options, const ToolContext& context,
                     const NodalField& field, const std::string& title, FieldFigure figure);

// Unless --quiet, the note on standard error of a solve at alpha on a divX x divY mesh with
// the scheme's element, with fewer than 10 points per wavelength.
void NoteAccuracy(const ToolOptions& options, const ToolContext& context, std::int32_t divX,
                  std::int32_t divY, double alpha, Scheme scheme);

// The progress of a long run on standard error, where that is a terminal: nothing in the first
// second (or `quiet`), then "membrane-solve: <what>, <seconds> s", or with a count of steps
// "membrane-solve: <what> <done> of <all>, <seconds> s", on one line that a thread of its own
// rewrites a few times a second, so that a single long step shows it is alive too. The line is
// cleared when the run ends; keep the object's scope to the work, before any output or note.
class Progress {
public:
    Progress(const ToolContext& context, std::string what, std::int64_t all = 0,
             std::chrono::milliseconds quiet = std::chrono::seconds(1));
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void Done(std::int64_t done) { m_done = done; }

private:
    void Show();

    std::FILE* m_err;
    std::string m_what;
    std::int64_t m_all;
    std::chrono::milliseconds m_quiet;
    std::atomic<std::int64_t> m_done{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_shower;  // only on a terminal
};

// True when one of the files of the options is "-".
bool StandardOutputTaken(const ToolOptions& options);
