// The modes of membrane-solve, one runner each: it reads its parsed options, does its one job
// and returns the exit status.
#pragma once

#include "batch/SolveTool.h"
#include "batch/ToolOptions.h"

// One computation as the dialog's: the table or the list, and the files asked for.
int RunSolveMode(const ToolOptions& options, const ToolContext& context);
// The lowest resonant alphas (--modes N) or those of an interval (--modes-in A0:A1).
int RunModeListMode(const ToolOptions& options, const ToolContext& context);
// Full solves at equally spaced alphas, as CSV, and the plot of them.
int RunSweepMode(const ToolOptions& options, const ToolContext& context);
