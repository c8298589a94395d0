// The tasks of membrane-solve, one runner each: it reads its parsed options, does its one job
// and returns the exit status.
#pragma once

#include "batch/Tool.h"
#include "batch/ToolOptions.h"

// One computation as the dialog's: the table or the list, and the files asked for.
int RunSolveTask(const ToolOptions& options, const ToolContext& context);
// The lowest resonant alphas (--modes N) or those of an interval (--modes-in A0:A1).
int RunModeListTask(const ToolOptions& options, const ToolContext& context);
// Full solves at equally spaced alphas, as CSV, and the plot of them.
int RunSweepTask(const ToolOptions& options, const ToolContext& context);
// The shape of one resonance, as the nodal values of a single solve and their files.
int RunShapeTask(const ToolOptions& options, const ToolContext& context);
// A figure of the lowest shapes side by side, written to the file of --figure.
int RunShapesTask(const ToolOptions& options, const ToolContext& context);
// The convergence study of the solution (a solve's options) or of the resonances (--modes N).
int RunStudyTask(const ToolOptions& options, const ToolContext& context);
