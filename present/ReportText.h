// The text outputs of a solved computation: the value lines of the report list and the
// tab-separated table that goes to the clipboard. Formatting never depends on the locale.
#pragma once

#include <string>

#include "present/NodalField.h"
#include "present/ReportSink.h"
#include "solver/MembraneModel.h"

// Appends v in the given format; non-finite values read "nan", "-nan", "inf", "-inf".
void AppendValue(std::string& out, double v, ValueFormat format = ValueFormat::Fixed6);
// v as ValueFormat::Shortest writes it: the fewest digits that read back to v.
std::string Shortest(double v);

// The value lines of a solved field, line by line: "W(%d) = %.6f" for every node 1..m_nNode,
// with an empty line ahead of every node column. It reads the record's values when a line is
// formatted, so the record must stay as it is while the lines are in use.
class ValueLines {
public:
    ValueLines(const NodalField& field, ValueFormat format);
    // The same over values kept elsewhere: w[n] for the nodes n = 1..nodes, rows nodes a column.
    ValueLines(const double* w, int rows, int nodes, ValueFormat format);
    int Count() const { return m_count; }
    // Appends line k, 0 <= k < Count(), without a line terminator.
    void Append(std::string& out, int k) const;

private:
    const double* m_w;
    int m_rows;   // nodes per column, m_nDivY + 1
    int m_count;
    ValueFormat m_format;
};

// Adds the value lines to the report list.
void ListSolution(const NodalField& field, ReportSink& sink,
                  ValueFormat format = ValueFormat::Fixed6);

// Header line with the row numbers 1..m_nDivY+1, then one line per node column with its
// values bottom to top. Every cell is followed by a tab, every line by a line feed.
std::string BuildTable(const NodalField& field, ValueFormat format = ValueFormat::Fixed6);

// True when some W(1..m_nNode) is infinite or not a number.
bool HasNonFiniteValue(const NodalField& field);
