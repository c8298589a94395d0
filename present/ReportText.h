// The text outputs of a solved computation: the value lines of the report list and the
// tab-separated table that goes to the clipboard. Formatting never depends on the locale.
#pragma once

#include <string>

#include "solver/MembraneModel.h"
#include "present/ReportSink.h"

enum class ValueFormat {
    Fixed6,    // printf's "%.6f" in the C locale
    Shortest,  // the shortest text that reads back to the same double
};

// Appends v in the given format; non-finite values read "nan", "-nan", "inf", "-inf".
void AppendValue(std::string& out, double v, ValueFormat format = ValueFormat::Fixed6);

// "W(%d) = %.6f" for every node 1..m_nNode, with an empty line ahead of every node column.
void ListSolution(const MembraneModel& model, ReportSink& sink,
                  ValueFormat format = ValueFormat::Fixed6);

// Header line with the row numbers 1..m_nDivY+1, then one line per node column with its
// values bottom to top. Every cell is followed by a tab, every line by a line feed.
std::string BuildTable(const MembraneModel& model, ValueFormat format = ValueFormat::Fixed6);

// True when some W(1..m_nNode) is infinite or not a number.
bool HasNonFiniteValue(const MembraneModel& model);
