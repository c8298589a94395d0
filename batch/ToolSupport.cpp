// Messages, strict number readings, outputs and figures shared by the tasks.
#include "batch/ToolSupport.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <limits>
#include <vector>

#include "command/FigureLoader.h"
#include "command/OutputFile.h"
#include "command/InputConversion.h"
#include "command/LowestResonances.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "present/NodeExport.h"
#include "present/ReportText.h"

namespace {

void ReportLine(const ToolContext& context, std::string_view message)
{
    std::fprintf(context.err, "membrane-solve: %.*s\n", static_cast<int>(message.size()),
                 message.data());
}

// One count option read strictly; see ReadMeshCounts.
std::optional<std::int32_t> ReadCount(const ToolContext& context, std::string_view option,
                                      std::string_view text, int& status)
{
    if (const std::optional<std::int32_t> n = ReadDivisionCount(text))
        return n;
    status = ReadWholeNumber(text) ? kExitRejected : kExitUsage;
    ReportLine(context, std::string(option) + ' ' + DivisionCountRefusal(text));
    return std::nullopt;
}

}  // namespace

int ReportBadValue(const ToolContext& context, std::string_view message)
{
    ReportLine(context, message);
    return kExitUsage;
}

void ReportNote(const ToolContext& context, std::string_view note)
{
    ReportLine(context, note);
}

int ReportNonFinite(const ToolContext& context)
{
    std::fprintf(context.err, "%s\n", std::string(kNonFiniteLine).c_str());
    return kExitNonFinite;
}

int ReportAllocationFailure(const ToolOptions& options, const ToolContext& context)
{
    const std::optional<std::int32_t> divX = ReadDivisionCount(options.divX);
    const std::optional<std::int32_t> divY = ReadDivisionCount(options.divY);
    // The need of the form that was to solve it: the separable solver keeps no band.
    const SolverRequest asked =
        ReadSolverRequest(options.solver.empty() ? "auto" : options.solver)
            .value_or(SolverRequest::Auto);
    if (divX && divY)
        ReportLine(context,
                   AllocationRefusal(*divX, *divY, 1, ChooseSolverForm(*divX, *divY, asked)));
    else
        ReportLine(context, "the memory for this run could not be allocated");
    return kExitRejected;
}

std::optional<MeshCounts> ReadMeshCounts(const ToolOptions& options, const ToolContext& context,
                                         int& status)
{
    const std::optional<std::int32_t> divX = ReadCount(context, "--divx", options.divX, status);
    if (!divX)
        return std::nullopt;
    const std::optional<std::int32_t> divY = ReadCount(context, "--divy", options.divY, status);
    if (!divY)
        return std::nullopt;
    return MeshCounts{*divX, *divY};
}

std::optional<double> ReadAlpha(const ToolOptions& options, const ToolContext& context)
{
    const std::optional<double> alpha = ReadFiniteNumber(options.alpha);
    if (!alpha)
        ReportLine(context, "--alpha " + DecimalRefusal(options.alpha));
    return alpha;
}

std::optional<ResonanceSearch> ReadSearch(const ToolOptions& options, const ToolContext& context)
{
    int status = kExitUsage;
    const std::optional<MeshCounts> counts = ReadMeshCounts(options, context, status);
    if (!counts)
        return std::nullopt;
    const auto [divX, divY] = *counts;
    const std::optional<Scheme> scheme = ReadScheme(options, context);
    if (!scheme)
        return std::nullopt;
    const std::optional<int> threads = ReadThreads(options, context);
    if (!threads)
        return std::nullopt;
    // Every thread factors on a record of its own.
    if (const std::optional<std::string> large = MeshTooLarge(divX, divY, *threads + 1)) {
        ReportLine(context, *large);
        return std::nullopt;
    }
    return MeshSearch(divX, divY, *threads, *scheme);
}

std::optional<Scheme> ReadScheme(const ToolOptions& options, const ToolContext& context)
{
    const std::optional<Scheme> scheme =
        options.scheme.empty() ? Scheme::Standard : ::ReadScheme(options.scheme);
    if (!scheme)
        ReportBadValue(context, "--scheme " + SchemeRefusal(options.scheme));
    return scheme;
}

std::optional<int> ReadThreads(const ToolOptions& options, const ToolContext& context)
{
    if (options.threads.empty())
        return EveryProcessor();
    const std::optional<long long> n = ReadWholeNumber(options.threads);
    if (!n || !ThreadsAccepted(*n)) {
        ReportBadValue(context, "--threads takes a whole number from 1 to " +
                                    std::to_string(kMostThreads) + ", not " +
                                    QuotedText(options.threads));
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

std::optional<std::int32_t> ReadResonanceNumber(std::string_view option, std::string_view text,
                                                const ResonanceSearch& search, std::int32_t most,
                                                const ToolContext& context)
{
    std::string refusal;
    const std::optional<std::int32_t> n =
        ::ReadResonanceNumber(option, text, search.divX, search.divY, most, refusal);
    if (!n)
        ReportBadValue(context, refusal);
    return n;
}

void NoteAccuracy(const ToolOptions& options, const ToolContext& context, std::int32_t divX,
                  std::int32_t divY, double alpha, Scheme scheme)
{
    if (options.quiet)
        return;
    if (const std::optional<std::string> note = AccuracyNote({divX, divY}, alpha, scheme))
        ReportLine(context, *note);
}

Progress::Progress(const ToolContext& context, std::string what, std::int64_t all,
                   std::chrono::milliseconds quiet)
    : m_err(context.err), m_what(std::move(what)), m_all(all), m_quiet(quiet)
{
    if (::isatty(::fileno(m_err)) == 1)
        m_shower = std::thread([this] { Show(); });
}

Progress::~Progress()
{
    if (!m_shower.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_shower.join();
}

void Progress::Show()
{
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_wake.wait_for(lock, m_quiet, [this] { return m_stop; }))
        return;
    do {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        std::string steps;
        if (m_all > 0)
            steps = ' ' + std::to_string(m_done.load()) + " of " + std::to_string(m_all);
        std::fprintf(m_err, "\rmembrane-solve: %s%s, %lld s\033[K", m_what.c_str(), steps.c_str(),
                     static_cast<long long>(seconds));
        std::fflush(m_err);
    } while (!m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_stop; }));
    std::fprintf(m_err, "\r\033[K");
    std::fflush(m_err);
}

bool StandardOutputTaken(const ToolOptions& options)
{
    for (const OptionRow& row : OptionTable())
        if (row.kind == ValueKind::File && options.*row.text == kStandardOutputName)
            return true;
    return false;
}

bool WriteStandardOutput(const ToolOptions& options, const ToolContext& context,
                         std::string_view text)
{
    if (StandardOutputTaken(options))
        return true;
    if (const std::error_code error = WriteToStream(context.out, text)) {
        ReportLine(context, "cannot write to standard output: " + error.message());
        return false;
    }
    return true;
}

bool WriteOutput(const ToolContext& context, const std::string& file, std::string_view bytes)
{
    if (const std::error_code error = WriteOutputFile(file, bytes, context.out)) {
        ReportLine(context, "cannot write " +
                                (file == kStandardOutputName ? "to standard output" : file) +
                                ": " + error.message());
        return false;
    }
    return true;
}

bool DrawFigure(const ToolContext& context, const std::string& file, const DrawFunction& draw)
{
    const LoadedFigures figures = LoadFigureLibrary(context.figureLibrary);
    if (!figures.api) {
        ReportLine(context, "cannot draw " + file + ": the drawing library cannot be loaded (" +
                                figures.error + ")");
        return false;
    }
    // The parser has refused any other extension.
    const FigureFormat format = FigureFormatOf(file).value_or(FigureFormat::Png);
    std::string bytes, error;
    if (!draw(*figures.api, format, bytes, error)) {
        ReportLine(context, "cannot draw " + file + ": " + error);
        return false;
    }
    return WriteOutput(context, file, bytes);
}

bool WriteFieldFiles(const ToolOptions& options, const ToolContext& context,
                     const NodalField& field, const std::string& title, FieldFigure figure)
{
    if (!options.mapFile.empty() &&
        !DrawFigure(context, options.mapFile, [&](const FigureApi& api, FigureFormat format,
                                                  std::string& bytes, std::string& error) {
            return api.colorMap(field, format, bytes, error);
        }))
        return false;
    if (!options.figureFile.empty() &&
        !DrawFigure(context, options.figureFile, [&](const FigureApi& api, FigureFormat format,
                                                     std::string& bytes, std::string& error) {
            return (api.*figure)(field, title, format, bytes, error);
        }))
        return false;
    if (!options.csvFile.empty() && !WriteOutput(context, options.csvFile, NodeCsv(field)))
        return false;
    return options.vtkFile.empty() ||
           WriteOutput(context, options.vtkFile, RectilinearVtk(field, title));
}
