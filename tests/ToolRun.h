// membrane-solve run as a program, and its function run in this process with its output and
// messages captured in memory. For the batch tests, which define MEMBRANE_SOLVE and
// MEMBRANE_FIGURES_LIBRARY.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RunProcess.h"
#include "batch/Tool.h"

inline ProcessResult Solve(const std::vector<std::string>& args,
                           const std::vector<std::string>& env = {})
{
    return RunProcess(MEMBRANE_SOLVE, args, env);
}

inline ProcessResult SolveInProcess(const std::vector<std::string>& args)
{
    const std::vector<std::string_view> views(args.begin(), args.end());
    ProcessResult r;
    r.status = CaptureStreams(
        [&](std::FILE* out, std::FILE* err) {
            return RunTool(views, ToolContext{out, err, MEMBRANE_FIGURES_LIBRARY});
        },
        r.out, r.err);
    return r;
}
