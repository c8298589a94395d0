// The option table of membrane-solve and what is made from it: the parser takes every option in
// the tasks the table gives it and refuses it elsewhere, the usage and the help name every
// option with its placeholder, and the manual page describes exactly the options of the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "RunProcess.h"
#include "batch/Tool.h"
#include "batch/ToolOptions.h"
#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/LowestResonances.h"
#include "command/Study.h"
#include "command/Sweep.h"

namespace {

struct Parsed {
    ParsedArguments result;
    std::string out;
    std::string err;
};

Parsed Parse(const std::vector<std::string>& args)
{
    const std::vector<std::string_view> views(args.begin(), args.end());
    Parsed p;
    p.result = CaptureStreams(
        [&](std::FILE* out, std::FILE* err) { return ParseArguments(views, out, err); }, p.out,
        p.err);
    return p;
}

// The arguments that choose `task`, and a value the option takes.
std::vector<std::string> Choose(Task task)
{
    std::vector<std::string> args;
    for (const OptionRow* chooser : TaskChoosers(task)) {
        args.emplace_back(chooser->name);
        if (!chooser->placeholder.empty())
            args.emplace_back("1");
    }
    return args;
}

std::string SampleValue(const OptionRow& row)
{
    switch (row.kind) {
    case ValueKind::OnOff:
        return "off";
    case ValueKind::File:
        return row.figure ? "out.svg" : "out.file";
    default:
        return " 7 ";
    }
}

// Which tasks take which option, written here and not read from the option table, so that a
// wrong entry of the table fails: an option taken where it does nothing is silently ignored.
struct Takes {
    std::string_view option;
    std::vector<Task> tasks;
};
const std::vector<Task> kEveryTask = {Task::Solve,        Task::Modes,         Task::ModesIn,
                                      Task::Sweep,        Task::Shape,         Task::Shapes,
                                      Task::SolutionStudy, Task::ResonanceStudy};
const std::vector<Task> kMeshTasks = {Task::Solve, Task::Modes, Task::ModesIn,
                                      Task::Sweep, Task::Shape, Task::Shapes};
const Takes kTakes[] = {
    {"--divx", kMeshTasks},
    {"--divy", kMeshTasks},
    {"--alpha", {Task::Solve, Task::SolutionStudy}},
    {"--option", {Task::Solve, Task::Modes, Task::ModesIn, Task::Sweep, Task::Shape, Task::Shapes,
                  Task::SolutionStudy}},
    {"--lenient", {Task::Solve}},
    {"--quiet", {Task::Solve, Task::Sweep, Task::Shape}},
    {"--solver", {Task::Solve}},
    {"--scheme", kEveryTask},
    {"--list", {Task::Solve}},
    {"--exact", {Task::Solve, Task::Shape}},
    {"--map", {Task::Solve, Task::Shape}},
    {"--figure", {Task::Solve, Task::Shape, Task::Shapes}},
    {"--csv", {Task::Solve, Task::Shape}},
    {"--vtk", {Task::Solve, Task::Shape}},
    {"--plot", {Task::Sweep, Task::SolutionStudy, Task::ResonanceStudy}},
    {"--details", {Task::Modes, Task::ModesIn}},
    {"--ladder", {Task::SolutionStudy, Task::ResonanceStudy}},
    {"--threads", {Task::Modes, Task::ModesIn, Task::Sweep, Task::Shape, Task::Shapes,
                   Task::ResonanceStudy}},
};

TEST(ToolOptions, EveryOptionIsTakenInItsTasksAndRefusedElsewhere)
{
    // Every option of the table that is neither a task nor an action is in the list above.
    std::set<std::string_view> listed, inTable;
    for (const Takes& t : kTakes)
        listed.insert(t.option);
    for (const OptionRow& row : OptionTable())
        if (row.kind != ValueKind::TaskChoice && row.kind != ValueKind::Action &&
            row.name != "--study")
            inTable.insert(row.name);
    EXPECT_EQ(listed, inTable);
    // --study chooses a study of a solve or of --modes, and of nothing else.
    for (Task task : {Task::ModesIn, Task::Sweep, Task::Shape, Task::Shapes}) {
        std::vector<std::string> args = Choose(task);
        args.emplace_back("--study");
        const Parsed p = Parse(args);
        EXPECT_EQ(p.result.status, kExitUsage);
        EXPECT_NE(p.err.find("--study studies a single solve or --modes, not "), std::string::npos)
            << p.err;
    }

    int checked = 0;
    for (const Takes& takes : kTakes) {
        const OptionRow& row = *FindOption(takes.option);
        for (Task task : kEveryTask) {
            for (const bool inlineForm : {false, true}) {
                std::vector<std::string> args = Choose(task);
                const bool takesValue = !row.placeholder.empty();
                if (takesValue && inlineForm)
                    args.push_back(std::string(row.name) + "=" + SampleValue(row));
                else
                    args.emplace_back(row.name);
                if (takesValue && !inlineForm)
                    args.push_back(SampleValue(row));
                const Parsed p = Parse(args);
                const bool applies = std::find(takes.tasks.begin(), takes.tasks.end(), task) !=
                                     takes.tasks.end();
                ASSERT_EQ(p.result.options.has_value(), applies) << row.name << " " << p.err;
                if (!applies) {
                    EXPECT_EQ(p.result.status, kExitUsage);
                    EXPECT_EQ(p.err.find('\n'), p.err.size() - 1) << p.err;  // one line
                    EXPECT_NE(p.err.find(std::string(row.name) + " applies to "), std::string::npos);
                    continue;
                }
                const ToolOptions& o = *p.result.options;
                EXPECT_EQ(o.task, task);
                if (row.text) {
                    EXPECT_EQ(o.*row.text, SampleValue(row)) << row.name;  // kept as given
                }
                if (row.flag) {
                    EXPECT_EQ(o.*row.flag, row.kind == ValueKind::Switch) << row.name;
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 20);
}

TEST(ToolOptions, TasksExcludeEachOtherAndOneOutputAtMostTakesStandardOutput)
{
    EXPECT_EQ(Parse({"--modes", "1", "--sweep", "0:1:2"}).result.status, kExitUsage);
    // Any option given twice is refused by name, an output above all, whose first file would be
    // lost; -h is --help.
    for (const std::vector<std::string>& twice :
         {std::vector<std::string>{"--modes", "1", "--modes", "2"},
          {"--csv", "a.csv", "--csv=b.csv"},
          {"--quiet", "--divx", "3", "--quiet"}}) {
        const Parsed p = Parse(twice);
        EXPECT_EQ(p.result.status, kExitUsage) << twice[0];
        EXPECT_EQ(p.err, "membrane-solve: " + twice[0] + " is given twice; give it once\n");
    }
    EXPECT_EQ(Parse({"-h"}).out, HelpText());

    const Parsed shapes = Parse({"--shapes", "4", "--figure", "-", "--divx", "9"});
    ASSERT_TRUE(shapes.result.options);
    EXPECT_EQ(shapes.result.options->task, Task::Shapes);
    EXPECT_EQ(shapes.result.options->taskValue, "4");
    EXPECT_EQ(shapes.result.options->figureFile, "-");
    EXPECT_EQ(Parse({"--shape", "2", "--csv", "-", "--shapes", "3"}).result.status, kExitUsage);

    const Parsed two = Parse({"--csv", "-", "--vtk=-"});
    EXPECT_FALSE(two.result.options);
    EXPECT_EQ(two.result.status, kExitUsage);
    EXPECT_TRUE(two.err.starts_with("membrane-solve: only one output can go to standard output"));
    EXPECT_EQ(Parse({"--csv", "-", "--vtk", "w.vtk"}).result.options->csvFile, "-");
}

TEST(ToolOptions, ActionsAndMalformedLinesEndTheRun)
{
    const Parsed version = Parse({"--divx", "3", "--version", "--bogus"});
    EXPECT_FALSE(version.result.options);
    EXPECT_EQ(version.result.status, kExitSolved);
    EXPECT_EQ(version.out, std::string("membrane-solve ") + MEMBRANE_VERSION + "\n");

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--bogus"}, {"--divx"}, {"--list=yes"}, {"--option", "maybe"},
          {"--csv", ""}, {"positional"}}) {
        const Parsed p = Parse(bad);
        EXPECT_EQ(p.result.status, kExitUsage) << bad[0];
        EXPECT_TRUE(p.err.starts_with("membrane-solve: ")) << bad[0];
        EXPECT_NE(p.err.find("\nusage: membrane-solve "), std::string::npos) << bad[0];
        EXPECT_EQ(p.out, "");
    }
    // A text from the command line never breaks the message's line.
    EXPECT_EQ(QuotedText("a\nb\t\x01'"), "'a\\nb\\t\\x01''");
    EXPECT_EQ(Parse({"--bo\ngus"}).err.find("\n"), Parse({"--bo\ngus"}).err.find("\nusage"));

    // A long text is cut where a character starts and says its length: a value of 100 kB makes
    // a line of a few hundred bytes, and a cut never splits a character's UTF-8.
    const std::string limit(kMostQuotedBytes, 'x');
    EXPECT_EQ(QuotedText(limit), "'" + limit + "'");
    const std::string huge = "5" + std::string(100'000, '0');
    EXPECT_EQ(QuotedText(huge),
              "'" + huge.substr(0, kShownOfLongText) + "...' (100001 bytes in all)");
    std::string kana;
    while (kana.size() < 300)
        kana += "\u30ab";  // three bytes each, so that the 160th byte falls inside one
    EXPECT_EQ(QuotedText("ab" + kana), "'ab" + kana.substr(0, 156) + "...' (302 bytes in all)");
    const Parsed p = Parse({huge});
    EXPECT_LT(p.err.find('\n'), 300u) << p.err;
    EXPECT_NE(p.err.find("(100001 bytes in all)"), std::string::npos) << p.err;
}

TEST(ToolOptions, UsageAndHelpNameEveryOptionWithItsPlaceholder)
{
    const std::string usage = UsageText(), help = HelpText();
    EXPECT_TRUE(help.starts_with(usage));
    for (const std::string& line : {usage, help})
        for (std::size_t start = 0, nl; (nl = line.find('\n', start)) != std::string::npos; start = nl + 1)
            EXPECT_LE(nl - start, 92u) << line.substr(start, nl - start);
    for (const OptionRow& row : OptionTable()) {
        std::string synopsis(row.name);
        if (!row.placeholder.empty())
            (synopsis += ' ') += row.placeholder;
        EXPECT_NE(usage.find(synopsis), std::string::npos) << synopsis;
        // Its help in the column, on the same line or, for a long synopsis, on the next.
        const std::string left = "\n  " + (row.shortName.empty() ? "" : std::string(row.shortName) + ", ") + synopsis;
        const std::size_t at = help.find(left);
        ASSERT_NE(at, std::string::npos) << synopsis;
        const std::size_t start = help.find_first_not_of(" \n", at + left.size());
        const std::size_t lineStart = help.rfind('\n', start) + 1;
        EXPECT_EQ(start - lineStart, 22u) << synopsis;
    }
}

// The options a text names: every "--word" in it (in roff source written "\-\-word").
std::set<std::string> OptionsNamed(const std::string& source)
{
    std::string text;
    for (std::size_t k = 0; k < source.size(); ++k)
        if (!(source[k] == '\\' && k + 1 < source.size() && source[k + 1] == '-'))
            text += source[k];
    std::set<std::string> options;
    for (std::size_t at = 0; (at = text.find("--", at)) != std::string::npos;) {
        std::size_t end = at + 2;
        while (end < text.size() &&
               (std::islower(static_cast<unsigned char>(text[end])) || text[end] == '-'))
            ++end;
        if (end > at + 2)
            options.insert(text.substr(at, end - at));
        at = end;
    }
    return options;
}

// In roff, "-" is written "\-".
std::string Roff(std::string_view text)
{
    std::string roff;
    for (char c : text)
        roff += c == '-' ? std::string("\\-") : std::string(1, c);
    return roff;
}

TEST(ToolOptions, ManualPageDescribesExactlyTheOptionsOfTheTable)
{
    const std::string manual = ReadWholeFile(MEMBRANE_SOLVE_MAN);
    std::set<std::string> table;
    for (const OptionRow& row : OptionTable()) {
        table.insert(std::string(row.name));
        // An entry of OPTIONS: ".TP", then the name and the placeholder on the next line.
        std::string entry = ".TP\n." + std::string(row.placeholder.empty() ? "B " : "B") +
                            (row.placeholder.empty() ? "" : row.kind == ValueKind::OnOff ? "R " : "I ") +
                            Roff(row.name);
        if (!row.placeholder.empty())
            entry += " \" " + std::string(row.placeholder);
        if (!row.shortName.empty())
            entry = ".TP\n.BR " + Roff(row.shortName) + " \", \" " + Roff(row.name);
        EXPECT_NE(manual.find(entry), std::string::npos) << entry;
    }
    EXPECT_EQ(OptionsNamed(manual), table);
}

// Each line of the manual's synopsis, one a task, names exactly the options of that task.
TEST(ToolOptions, ManualSynopsisNamesEveryOptionOfEachTask)
{
    const std::string manual = ReadWholeFile(MEMBRANE_SOLVE_MAN);
    const std::size_t begin = manual.find(".SH SYNOPSIS\n"), end = manual.find(".SH ", begin + 1);
    ASSERT_NE(begin, std::string::npos);
    const std::string synopsis = manual.substr(begin, end - begin);
    std::vector<std::string> lines;
    for (std::size_t at = 0, br; at <= synopsis.size(); at = br + 4) {
        br = std::min(synopsis.find(".br\n", at), synopsis.size());
        lines.push_back(synopsis.substr(at, br - at));
    }
    std::size_t checked = 0;
    for (Task task : kTasks) {
        // A task's line begins with the options that choose it: ".B membrane\-solve \-\-study".
        std::set<std::string> choosers;
        for (const OptionRow* chooser : TaskChoosers(task))
            choosers.insert(std::string(chooser->name));
        std::set<std::string> expected = choosers;
        for (const OptionRow& row : OptionTable())
            if (row.kind != ValueKind::Action && (row.tasks & TaskBit(task)))
                expected.insert(std::string(row.name));
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
            const std::size_t start = l.find(".B membrane");
            return start != std::string::npos &&
                   OptionsNamed(l.substr(start, l.find('\n', start) - start)) == choosers;
        });
        ASSERT_NE(line, lines.end()) << (choosers.empty() ? "a solve" : *choosers.begin());
        EXPECT_EQ(OptionsNamed(*line), expected) << *line;
        ++checked;
    }
    EXPECT_EQ(checked + 1, lines.size());  // and --help | --version
}

}  // namespace

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "batch/ToolSupport.h"

namespace {

// All that can be read from fd without waiting.
std::string Drain(int fd)
{
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

// Progress shows on a terminal alone, once its quiet time is over, rewriting one line that it
// clears at the end; a file or a pipe gets nothing.
TEST(ToolProgress, OnATerminalAloneOneLineRewrittenAndCleared)
{
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE* terminal = ::fdopen(slave, "w");
    std::FILE* file = std::tmpfile();
    ASSERT_TRUE(terminal && file);
    {
        const Progress quietFile({stdout, file, ""}, "sweep: point", 10,
                                 std::chrono::milliseconds(0));
        Progress shown({stdout, terminal, ""}, "sweep: point", 10, std::chrono::milliseconds(0));
        shown.Done(3);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    {
        const Progress notYet({stdout, terminal, ""}, "never shown", 0, std::chrono::hours(1));
    }
    std::fclose(terminal);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    const std::string text = Drain(master);
    ::close(master);
    EXPECT_NE(text.find("\rmembrane-solve: sweep: point 3 of 10, 0 s\033[K"), std::string::npos)
        << text;
    EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K");
    EXPECT_EQ(text.find("never shown"), std::string::npos);
    EXPECT_EQ(std::ftell(file), 0);
    std::fclose(file);
}

}  // namespace

#include "command/InputConversion.h"

namespace {

// A strict decimal number read afresh by the C++ library's from_chars: blanks around it and a
// "+" allowed, digits or a point first (from_chars also reads "inf" and "nan"), finite.
std::optional<double> FromCharsNumber(std::string_view text)
{
    text = BareNumber(text);
    const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || !(std::isdigit(static_cast<unsigned char>(digits[0])) || digits[0] == '.'))
        return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Every front end reads its decimal numbers with ReadStrictDecimal, which the page's C++ library
// can run without from_chars: the texts from_chars takes, and the same doubles.
TEST(ToolNumbers, TheStrictReadingIsFromCharsReading)
{
    std::vector<std::string> texts = {"5", " 5.0 ", "\t-2.5e-3", "+7", "1e400", "nan", "inf", "2,5",
                                      "", " ", ".5", "5.", "1e", "1e+", "0x10", "--1", "+-1",
                                      "1 2", "1e-400", "4.9e-324", "12abc", "-0"};
    std::mt19937_64 random(2026);
    for (int k = 0; k < 2000; ++k) {
        char text[48];
        double v = 0.0;
        std::uint64_t bits = random();
        std::memcpy(&v, &bits, sizeof v);
        std::snprintf(text, sizeof text, "%.*g", static_cast<int>(random() % 18) + 1, v);
        texts.emplace_back(text);
    }
    for (const std::string& text : texts) {
        double strict = 0.0;
        const bool taken = ReadStrictDecimal(text, strict);
        const std::optional<double> tool = FromCharsNumber(text);
        ASSERT_EQ(taken, tool.has_value()) << QuotedText(text);
        ASSERT_EQ(ReadFiniteNumber(text).has_value(), taken);
        if (taken) {
            ASSERT_EQ(std::memcmp(&strict, &*tool, sizeof strict), 0) << QuotedText(text);
        }
    }
}

}  // namespace

namespace {

// The text with every run of white space made one blank, so that a wrapped line reads whole.
std::string OneLine(std::string_view text)
{
    std::string line;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    return line;
}

// Each default and limit the tool states is its constant's: in the option's help, from which
// --help is made, and in the manual page.
TEST(ToolOptions, HelpAndManualStateEachDefaultAndLimitOfItsConstant)
{
    EXPECT_EQ(ConvertCount(kDefaultInputs.divX), kDefaultDivX);
    EXPECT_EQ(ConvertCount(kDefaultInputs.divY), kDefaultDivY);
    EXPECT_EQ(ConvertAlpha(kDefaultInputs.alpha), kDefaultAlpha);
    const std::string manual = OneLine(ReadWholeFile(MEMBRANE_SOLVE_MAN));
    const auto states = [&](std::string_view option, const std::string& text, bool inManual) {
        EXPECT_NE(std::string(FindOption(option)->help).find(text), std::string::npos)
            << option << ": " << text;
        if (inManual) {
            EXPECT_NE(manual.find(text), std::string::npos) << text;
        }
    };
    states("--divx", "(default " + std::to_string(kDefaultDivX) + ")", true);
    states("--divy", "(default " + std::to_string(kDefaultDivY) + ")", true);
    states("--alpha", "(default " + std::string(BareNumber(kDefaultInputs.alpha)) + ")", true);
    states("--sweep", "(" + std::to_string(kFewestSweepPoints) + " <= N <= " +
                          std::to_string(kMostSweepPoints) + ")", true);
    states("--shapes", "(1 <= N <= " + std::to_string(kMostGalleryShapes) + ")", true);
    states("--ladder", "(default " + std::string(kDefaultLadderText) + ")", true);
}

}  // namespace
