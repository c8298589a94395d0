// membrane-solve as a function: the command line in, the exit status out, the output and the
// messages written to the streams it is given. The program's main only hands over its streams.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

inline constexpr int kExitSolved = 0;
inline constexpr int kExitRejected = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNonFinite = 3;
inline constexpr int kExitWriteFailed = 4;
// A resonance study whose closed-form resonances the solver's inertia did not all confirm.
inline constexpr int kExitUnconfirmed = 5;

// Where a run writes, and where it finds the drawing library when a figure is asked for.
struct ToolContext {
    std::FILE* out;
    std::FILE* err;
    std::string figureLibrary;
};

struct ToolOptions;

// args are the arguments after the program name. Files are written where the options name them.
// The arguments are parsed, then RunParsed runs them.
int RunTool(std::span<const std::string_view> args, const ToolContext& context);

// The one task the parsed options choose.
int RunParsed(const ToolOptions& options, const ToolContext& context);

// The same, with the drawing library of the running program's installation (FigureLoader.h).
int RunTool(std::span<const std::string_view> args, std::FILE* out, std::FILE* err);
