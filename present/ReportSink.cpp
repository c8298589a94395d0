// What every front end inherits from the report's interface: the value lines added one by one.
#include "present/ReportSink.h"

#include <string>

#include "present/ReportText.h"

void ReportSink::AddValueLines(const NodalField& field, ValueFormat format)
{
    const ValueLines lines(field, format);
    std::string line;
    line.reserve(64);
    for (int k = 0; k < lines.Count(); ++k) {
        line.clear();
        lines.Append(line, k);
        AddLine(line);
    }
}
