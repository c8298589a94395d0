// membrane-solve: the dialog's computation without a window. Reads the three input texts from
// the command line, runs the same compute sequence and writes the table (or the list lines) to
// the output, and optionally the colour map as a PNG image.
#include "batch/SolveTool.h"

#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QString>

#include "command/ComputeCommand.h"
#include "present/ColorMap.h"
#include "present/ColorMapPainter.h"
#include "present/ReportText.h"

namespace {

constexpr const char* kUsage =
    "usage: membrane-solve [--divx TEXT] [--divy TEXT] [--alpha TEXT] [--option on|off]\n"
    "                      [--list] [--exact] [--map FILE.png] [--help]\n";

constexpr const char* kHelp =
    "Solves the vibrating membrane as the dialog does and writes the table of nodal values\n"
    "(a tab after every cell, a line feed after every line) to standard output.\n"
    "\n"
    "  --divx TEXT      divisions along x, as typed into the dialog (default \" 90\")\n"
    "  --divy TEXT      divisions along y (default \" 30\")\n"
    "  --alpha TEXT     alpha (default \" 5.0\")\n"
    "  --option on|off  raised centre peak on the left edge (default on)\n"
    "  --list           write the report list lines instead of the table\n"
    "  --exact          write each value as the shortest text that reads back to the same double\n"
    "  --map FILE.png   also write the colour map as a PNG image\n"
    "  --help           show this text\n"
    "\n"
    "Exit status: 0 solved; 1 inputs rejected; 2 usage error; 3 some value not finite;\n"
    "4 output could not be written.\n";

struct Options {
    std::string divX{kDefaultInputs.divX};
    std::string divY{kDefaultInputs.divY};
    std::string alpha{kDefaultInputs.alpha};
    bool option = true;
    bool list = false;
    bool exact = false;
    std::string mapFile;
};

int UsageError(std::FILE* err, const std::string& message)
{
    std::fprintf(err, "membrane-solve: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

// Parses the arguments into options; returns -1 to go on, or the exit status to end with.
int ParseArguments(std::span<const std::string_view> args, Options& options, std::FILE* out,
                   std::FILE* err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::string_view value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        const bool takesValue =
            arg == "--divx" || arg == "--divy" || arg == "--alpha" || arg == "--option" || arg == "--map";
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size())
                return UsageError(err, "missing value for " + std::string(arg));
            value = args[++i];
        } else if (!takesValue && hasValue) {
            return UsageError(err, "no value expected for " + std::string(arg));
        }

        if (arg == "--divx") {
            options.divX = value;
        } else if (arg == "--divy") {
            options.divY = value;
        } else if (arg == "--alpha") {
            options.alpha = value;
        } else if (arg == "--option") {
            if (value != "on" && value != "off")
                return UsageError(err, "--option takes on or off, not '" + std::string(value) + "'");
            options.option = value == "on";
        } else if (arg == "--map") {
            if (value.empty())
                return UsageError(err, "missing file name for --map");
            options.mapFile = value;
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--exact") {
            options.exact = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, out);
            std::fputs(kHelp, out);
            return kExitSolved;
        } else {
            return UsageError(err, "unknown option '" + std::string(arg) + "'");
        }
    }
    return -1;
}

// The block of cells alone, node 1 at the bottom left.
bool WriteMap(const MembraneModel& model, const std::string& file)
{
    QImage image(MapBlockWidth(model), MapBlockHeight(model), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintColorMap(painter, model, 0, image.height());
    painter.end();
    return image.save(QString::fromLocal8Bit(file.c_str()), "PNG");
}

bool WriteAll(std::FILE* out, const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
}

}  // namespace

int RunSolveTool(std::span<const std::string_view> args, std::FILE* out, std::FILE* err)
{
    Options options;
    if (const int status = ParseArguments(args, options, out, err); status >= 0)
        return status;

    const auto model = std::make_unique<MembraneModel>();  // about 0.8 MB: not on the stack
    model->m_bOption = options.option ? 1 : 0;
    CollectingSink sink;
    const ComputeOutcome outcome =
        RunCompute(*model, {options.divX, options.divY, options.alpha}, sink,
                   options.exact ? ValueFormat::Shortest : ValueFormat::Fixed6);

    if (outcome == ComputeOutcome::Rejected) {
        for (const std::string& line : sink.lines)
            std::fprintf(err, "%s\n", line.c_str());
        return kExitRejected;
    }

    std::string text;
    if (options.list) {
        for (const std::string& line : sink.lines) {
            text += line;
            text += '\n';
        }
    } else {
        text = std::move(sink.table);
    }
    if (!WriteAll(out, text)) {
        std::fprintf(err, "membrane-solve: cannot write to standard output\n");
        return kExitWriteFailed;
    }
    if (!options.mapFile.empty() && !WriteMap(*model, options.mapFile)) {
        std::fprintf(err, "membrane-solve: cannot write %s\n", options.mapFile.c_str());
        return kExitWriteFailed;
    }
    if (outcome == ComputeOutcome::SolvedNonFinite) {
        std::fprintf(err, "%s\n", std::string(kNonFiniteLine).c_str());
        return kExitNonFinite;
    }
    return kExitSolved;
}
