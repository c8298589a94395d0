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
// The shape of one resonance, as the nodal values of a single solve and their files.
int RunShapeMode(const ToolOptions& options, const ToolContext& context);
// A figure of the lowest shapes side by side.
int RunShapesMode(const ToolOptions& options, const ToolContext& context);
