// Value lines and table text, formatted with std::to_chars, which ignores the locale and
// gives the same digits as printf in the C locale.
#include "present/ReportText.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// Room for any double in fixed notation: 309 integer digits, sign, point and six decimals.
constexpr int kNumberRoom = 330;

std::string_view FormatValue(char (&buf)[kNumberRoom], double v, ValueFormat format)
{
    const auto result = format == ValueFormat::Fixed6
                            ? std::to_chars(buf, buf + kNumberRoom, v, std::chars_format::fixed, 6)
                            : std::to_chars(buf, buf + kNumberRoom, v);
    return {buf, static_cast<std::size_t>(result.ptr - buf)};
}

void AppendInt(std::string& out, int n)
{
    char buf[16];
    const auto result = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, result.ptr);
}

}  // namespace

void AppendValue(std::string& out, double v, ValueFormat format)
{
    char buf[kNumberRoom];
    out += FormatValue(buf, v, format);
}

void ListSolution(const MembraneModel& model, ReportSink& sink, ValueFormat format)
{
    const int rows = model.m_nDivY + 1;
    std::string line;
    line.reserve(64);
    for (int n = 1; n <= model.m_nNode; ++n) {
        if (n % rows == 1)
            sink.AddLine({});
        line.assign("W(");
        AppendInt(line, n);
        line += ") = ";
        AppendValue(line, model.m_W[n], format);
        sink.AddLine(line);
    }
}

std::string BuildTable(const MembraneModel& model, ValueFormat format)
{
    const int cells = model.m_nDivY + 1;
    std::string table;
    table.reserve(static_cast<std::size_t>(model.m_nDivX + 2) * cells * 11);
    int k = 0;
    for (int r = 0; r <= model.m_nDivX + 1; ++r) {
        for (int s = 1; s <= cells; ++s) {
            if (r == 0) {
                AppendInt(table, s);
            } else {
                ++k;
                AppendValue(table, model.m_W[k], format);
            }
            table += '\t';
        }
        table += '\n';
    }
    return table;
}

bool HasNonFiniteValue(const MembraneModel& model)
{
    for (int n = 1; n <= model.m_nNode; ++n) {
        if (!std::isfinite(model.m_W[n]))
            return true;
    }
    return false;
}
