// membrane-solve as a function: the command line in, the exit status out, the output and the
// messages written to the streams it is given. The program's main only hands over its streams.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

inline constexpr int kExitSolved = 0;
inline constexpr int kExitRejected = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNonFinite = 3;
inline constexpr int kExitWriteFailed = 4;

// args are the arguments after the program name. Image files are written where the options
// name them.
int RunSolveTool(std::span<const std::string_view> args, std::FILE* out, std::FILE* err);
