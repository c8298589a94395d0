// The command line of membrane-solve. Every option is declared once, in one table: its name, the
// placeholder of its value, the tasks it applies to, how its value is read and its help. The
// parser, the usage lines and --help are made from the table, and the test of the manual page
// reads it too.
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"

// What one run does, its task; the options that choose it name it, a single solve has none. The
// studies are chosen by --study, of a solve's alpha or of --modes N.
enum class Task { Solve, Modes, ModesIn, Sweep, Shape, Shapes, SolutionStudy, ResonanceStudy };
inline constexpr Task kTasks[] = {Task::Solve,  Task::Modes,         Task::ModesIn,
                                  Task::Sweep,  Task::Shape,         Task::Shapes,
                                  Task::SolutionStudy, Task::ResonanceStudy};

// A set of tasks, one bit each.
using TaskSet = unsigned;
constexpr TaskSet TaskBit(Task task)
{
    return 1u << static_cast<unsigned>(task);
}

// The values of the options after parsing; unset options keep these defaults.
struct ToolOptions {
    Task task = Task::Solve;
    std::string taskValue;  // the value of the option that chose the task
    std::string divX{kDefaultInputs.divX};
    std::string divY{kDefaultInputs.divY};
    std::string alpha{kDefaultInputs.alpha};
    bool option = true;
    bool lenient = false;
    std::string solver;
    std::string scheme;
    bool list = false;
    bool exact = false;
    bool details = false;
    bool study = false;
    bool quiet = false;
    std::string ladder;
    std::string mapFile;
    std::string figureFile;
    std::string csvFile;
    std::string vtkFile;
    std::string plotFile;
    std::string threads;
};

enum class ValueKind {
    Switch,      // no value; sets its flag
    Text,        // any text, kept as given
    OnOff,       // "on" or "off", into its flag
    File,        // a file name, "-" for standard output
    TaskChoice,  // chooses its task and keeps its value in taskValue
    Action,      // no value; done at once, and the run ends (--help, --version)
};

// Where an option is listed in --help.
enum class HelpGroup { Solve, Resonance };

struct OptionRow {
    std::string_view name;           // "--divx"
    std::string_view shortName{};    // "-h", where there is one
    std::string_view placeholder{};  // "TEXT"; empty for an option without a value
    ValueKind kind = ValueKind::Switch;
    TaskSet tasks = 0;               // the tasks it applies to; for a TaskChoice option the one it chooses
    std::string ToolOptions::*text = nullptr;  // Text, File
    bool figure = false;                       // a File drawn as a figure: PNG, PDF or SVG
    bool ToolOptions::*flag = nullptr;         // Switch, OnOff
    void (*action)(std::FILE* out) = nullptr;  // Action
    HelpGroup group = HelpGroup::Solve;
    std::string_view help;
};

// Every option, in the order of the usage lines and of --help.
std::span<const OptionRow> OptionTable();

// The row of the option called `name` ("--divx"), or null.
const OptionRow* FindOption(std::string_view name);

// The option that chooses the task, or null for a single solve.
const OptionRow* TaskOption(Task task);
// The options that choose the task, in the order of its synopsis: none for a single solve,
// --study and --modes for a resonance study.
std::vector<const OptionRow*> TaskChoosers(Task task);

struct ParsedArguments {
    std::optional<ToolOptions> options;  // empty: the run ends here, with status
    int status = 0;
};

// Reads the arguments after the program name. --help and --version write to out; a usage error
// or a bad combination is reported on err.
ParsedArguments ParseArguments(std::span<const std::string_view> args, std::FILE* out,
                               std::FILE* err);

// "usage: membrane-solve ..." and a line for every task, each line ended.
std::string UsageText();
// The usage lines, then every option with its help, the worked examples and the exit statuses.
std::string HelpText();
