// The usage lines and --help of membrane-solve, made from the option table.
#include <algorithm>
#include <string>
#include <vector>

#include "batch/ToolOptions.h"

namespace {

constexpr std::string_view kProgram = "membrane-solve";
constexpr std::size_t kWidth = 92;      // of the usage and help lines
constexpr std::size_t kHelpColumn = 22;  // where an option's help starts

using enum ValueKind;
using enum HelpGroup;

constexpr std::string_view kIntroduction =
    "Solves the vibrating membrane as the dialog does and writes the table of nodal values (a "
    "tab after every cell, a line feed after every line) to standard output.";

constexpr std::string_view kResonances =
    "Resonances. Where alpha squared is an eigenvalue of the membrane with its left and right "
    "edges fixed, the system is singular and the values grow without bound. These tasks find "
    "such alphas on the mesh of --divx and --divy (any that fits in half of the memory; --alpha "
    "and the option do not change the matrix), by bisection on the signs of the elimination's pivots, each to "
    "1e-12 relative or to adjacent doubles. Numbers are written as the shortest text that reads "
    "back to the same double.";

constexpr std::string_view kShapesText =
    "Shapes. The shape of a resonance is its eigenvector, found by inverse iteration with the "
    "same band elimination: 0 on the fixed edges, normalised so that phi^T M phi = 1 with the "
    "mass matrix M, its component of largest magnitude positive. kx is 1 + its sign changes "
    "along x and ky its sign changes along y, through the node of largest magnitude: for a "
    "simple resonance of this rectangle, its half-waves. Its participation "
    "phi^T (K_fb - alpha^2 M_fb) u_b says how much the values u_b of the fixed edges excite "
    "it: near its alpha the solution grows like phi times the participation over the distance "
    "in alpha^2, and a resonance with participation 0 makes no peak. Resonances within 1e-8 of "
    "each other form a cluster whose shapes are turned so that the first takes all of the "
    "participation.";

constexpr std::string_view kExamples =
    "  $ membrane-solve --divx 2 --divy 1 --modes 2\n"
    "  1\t0.2309401076758\n"
    "  2\t0.7302967433404\n"
    "  $ membrane-solve --divx 2 --divy 1 --modes-in 0.5:1\n"
    "  2\t0.7302967433404\n"
    "  $ membrane-solve --divx 2 --divy 1 --option off --sweep 0:1:5\n"
    "  alpha,max_abs_w,modes_below,first_zero_pivot\n"
    "  0,1,0,0\n"
    "  0.25,4.613636363636355,1,0\n"
    "  0.5,1,1,0\n"
    "  0.75,1,2,0\n"
    "  1,1,2,0\n"
    "  $ membrane-solve --divx 2 --divy 1 --option off --modes 2 --details\n"
    "  index,alpha,kx,ky,participation,alpha_continuum\n"
    "  1,0.2309401076758,1,0,-0.19999999999997095,0.20943951023931953\n"
    "  2,0.7302967433404,1,1,-1.1102230246251565e-16,0.6623058843864068\n"
    "  $ membrane-solve --divx 2 --divy 1 --shape 2\n"
    "  1\t2\t\n"
    "  0.000000\t0.000000\t\n"
    "  -0.346410\t0.346410\t\n"
    "  0.000000\t0.000000\t\n";

constexpr std::string_view kOptionForms =
    "Every option is given once at most. An option's value follows it as the next argument or "
    "after an equals sign: --option off or --option=off; -h is --help.";

constexpr std::string_view kFiles =
    "Files. The images of --map, --figure and --plot are written as PNG, or for a report as a "
    "PDF page or an SVG drawing whose lines and text are vectors, by the file name's extension: "
    ".png, .pdf or .svg (PNG where the name has none); any other extension is refused. FILE - is "
    "standard output, and the table or list is then not written there; one "
    "option at most can take -. /dev/stdout, /dev/stderr and /dev/fd/N are written through the "
    "descriptor the program holds, as a shell writes to it; a path that exists and is not a "
    "regular file (a named pipe, a device) is written in place. A regular file or a new name is written whole or "
    "not at all: the bytes go to a temporary file beside it, which takes its place and its "
    "permission bits once complete; a symbolic link stays a link, and its target is replaced.";

constexpr std::string_view kExitStatus =
    "Exit status: 0 solved; 1 inputs read but refused: a count of divisions below 1, a mesh "
    "beyond the dialog's limits with --lenient, or one too large for the memory; 2 usage error "
    "or a value that cannot be read (not a number, a whole number expected, an option given "
    "twice or not applying to the task); 3 some value not finite (also at a sweep point); 4 "
    "output could not be written, or the figures could not be drawn; 5 a resonance study that "
    "the solver's inertia did not confirm.";

// Appends the words with a blank between them, in lines of at most kWidth: the first goes on
// from `column` of the line under way, the others are indented by `indent`. A line feed ends it.
void AppendWrapped(std::string& out, const std::vector<std::string>& words, std::size_t column,
                   std::size_t indent)
{
    for (std::size_t k = 0; k < words.size(); ++k) {
        if (k > 0 && column + 1 + words[k].size() > kWidth) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
        } else if (k > 0) {
            out += ' ';
            ++column;
        }
        out += words[k];
        column += words[k].size();
    }
    out += '\n';
}

std::vector<std::string> Words(std::string_view text)
{
    std::vector<std::string> words;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t blank = std::min(text.find(' ', start), text.size());
        if (blank > start)
            words.emplace_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    return words;
}

std::string Synopsis(const OptionRow& row)
{
    std::string s(row.name);
    if (!row.placeholder.empty())
        (s += ' ') += row.placeholder;
    return s;
}

}  // namespace

std::string UsageText()
{
    // "usage: membrane-solve" on the first line, the program's name under it on the others.
    const std::size_t column = std::string_view("usage: ").size() + kProgram.size() + 1;
    std::string text;
    auto line = [&](const std::vector<std::string>& words) {
        text.append(text.empty() ? "usage: " : "       ");
        text.append(kProgram);
        text += ' ';
        AppendWrapped(text, words, column, column);
    };
    for (Task task : kTasks) {
        std::vector<std::string> words;
        const std::vector<const OptionRow*> choosers = TaskChoosers(task);
        for (const OptionRow* chooser : choosers)
            words.push_back(Synopsis(*chooser));
        for (const OptionRow& row : OptionTable())
            if (row.kind != ValueKind::TaskChoice && (row.tasks & TaskBit(task)) &&
                std::find(choosers.begin(), choosers.end(), &row) == choosers.end())
                words.push_back('[' + Synopsis(row) + ']');
        line(words);
    }
    std::vector<std::string> actions;
    for (const OptionRow& row : OptionTable()) {
        if (row.kind != Action)
            continue;
        if (!actions.empty())
            actions.emplace_back("|");
        actions.emplace_back(row.name);
    }
    line(actions);
    return text;
}

std::string HelpText()
{
    std::string text = UsageText();
    auto paragraph = [&](std::string_view words) {
        text += '\n';
        AppendWrapped(text, Words(words), 0, 0);
    };
    auto options = [&](HelpGroup group) {
        text += '\n';
        for (const OptionRow& row : OptionTable()) {
            if (row.group != group)
                continue;
            std::string left = "  ";
            if (!row.shortName.empty())
                (left += row.shortName) += ", ";
            left += Synopsis(row);
            // A synopsis too long for the column has the help start on the next line.
            if (left.size() + 2 <= kHelpColumn)
                left.append(kHelpColumn - left.size(), ' ');
            else
                (left += '\n').append(kHelpColumn, ' ');
            text += left;
            AppendWrapped(text, Words(row.help), kHelpColumn, kHelpColumn);
        }
    };
    paragraph(kIntroduction);
    options(Solve);
    paragraph(kResonances);
    options(Resonance);
    paragraph(kShapesText);
    text += '\n';
    text += kExamples;
    paragraph(kOptionForms);
    paragraph(kFiles);
    paragraph(kExitStatus);
    return text;
}
