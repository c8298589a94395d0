// Value lines (also a report sink's default way of adding them) and table text, formatted
// without the locale: std::to_chars, which gives the digits printf gives in the C locale, and
// for "%.6f" of the usual magnitudes an exact integer rounding of the same digits, faster.
#include "present/ReportText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "present/ShortestText.h"

// Whether the C++ library writes floating point with to_chars; WebAssembly's does not.
#if defined(__EMSCRIPTEN__) && !defined(__cpp_lib_to_chars)
#define MEMBRANE_PRINTF_NUMBERS 1
#endif

namespace {

// Room for any double in fixed notation: 309 integer digits, sign, point and six decimals.
constexpr int kNumberRoom = 330;

// "%.6f" of a finite v with |v| < 2^63: v is m 2^e exactly, so v 10^6 = m 10^6 2^e, and the
// six decimals are that product rounded to an integer, half to even, as printf rounds it.
// Returns nullptr when v is outside that range.
char* FixedSixExact(char* out, double v)
{
#if defined(__SIZEOF_INT128__)
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7FF || biased - 1075 > 10)  // not finite, or 2^63 or more
        return nullptr;
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int e = biased == 0 ? -1074 : biased - 1075;

    __extension__ typedef unsigned __int128 Wide;
    const Wide scaled = Wide{m} * 1'000'000u;  // below 2^73
    Wide n = 0;
    if (e >= 0) {
        n = scaled << e;
    } else if (-e < 80) {
        const int s = -e;
        n = scaled >> s;
        const Wide rest = scaled & ((Wide{1} << s) - 1);
        const Wide half = Wide{1} << (s - 1);
        if (rest > half || (rest == half && (n & 1) != 0))
            ++n;
    }  // else v 10^6 < 2^73 / 2^80: it rounds to 0

    if (std::signbit(v))
        *out++ = '-';
    // Where n fits in 64 bits (|v| below about 1.8e13, nearly always), 64-bit division: on
    // targets without a 128-bit divide it is a library call, and costs as much as the rest.
    // The decimals, below 10^6, are the low 64 bits of n less those of whole 10^6.
    const std::uint64_t low = static_cast<std::uint64_t>(n);
    const std::uint64_t whole = (n >> 64) == 0 ? low / 1'000'000u
                                               : static_cast<std::uint64_t>(n / 1'000'000u);
    std::uint32_t decimals = static_cast<std::uint32_t>(low - whole * 1'000'000u);
    out = std::to_chars(out, out + 24, whole).ptr;
    *out++ = '.';
    for (int d = 5; d >= 0; --d, decimals /= 10)
        out[d] = static_cast<char>('0' + decimals % 10);
    return out + 6;
#else
    (void)out;
    (void)v;
    return nullptr;  // no 128-bit integers here: the general path formats every value
#endif
}

std::string_view FormatValue(char (&buf)[kNumberRoom], double v, ValueFormat format)
{
    if (format == ValueFormat::Fixed6) {
        if (char* end = FixedSixExact(buf, v))
            return {buf, static_cast<std::size_t>(end - buf)};
    }
#ifdef MEMBRANE_PRINTF_NUMBERS
    const std::string text = format == ValueFormat::Fixed6 ? FixedSixText(v) : ShortestText(v);
    const std::size_t size = std::min(text.size(), static_cast<std::size_t>(kNumberRoom));
    std::memcpy(buf, text.data(), size);
    return {buf, size};
#else
    if (format == ValueFormat::Fixed6) {
        const auto result = std::to_chars(buf, buf + kNumberRoom, v, std::chars_format::fixed, 6);
        return {buf, static_cast<std::size_t>(result.ptr - buf)};
    }
    const auto result = std::to_chars(buf, buf + kNumberRoom, v);
    return {buf, static_cast<std::size_t>(result.ptr - buf)};
#endif
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

std::string Shortest(double v)
{
    std::string text;
    AppendValue(text, v, ValueFormat::Shortest);
    return text;
}

ValueLines::ValueLines(const NodalField& field, ValueFormat format)
    : ValueLines(field.m_W, field.m_nDivY + 1, field.m_nNode, format)
{
}

ValueLines::ValueLines(const double* w, int rows, int nodes, ValueFormat format)
    : m_w(w), m_rows(rows), m_format(format)
{
    // Every column of m_rows nodes has its empty line ahead of it, and every node its line.
    const int columns = m_rows > 1 ? (nodes + m_rows - 1) / m_rows : 0;
    m_count = nodes > 0 ? nodes + columns : 0;
}

void ValueLines::Append(std::string& out, int k) const
{
    const int r = m_rows > 1 ? k % (m_rows + 1) : k + 1;
    if (r == 0)
        return;  // the empty line ahead of a column
    const int n = m_rows > 1 ? k / (m_rows + 1) * m_rows + r : r;
    // Made in place and appended at once: thousands of small appends cost more than the numbers.
    char value[kNumberRoom];
    const std::string_view text = FormatValue(value, m_w[n], m_format);
    char line[16 + kNumberRoom];
    char* end = std::to_chars(line + 2, line + 16, n).ptr;
    line[0] = 'W';
    line[1] = '(';
    std::memcpy(end, ") = ", 4);
    std::memcpy(end + 4, text.data(), text.size());
    out.append(line, static_cast<std::size_t>(end + 4 - line) + text.size());
}

void ListSolution(const NodalField& field, ReportSink& sink, ValueFormat format)
{
    sink.AddValueLines(field, format);
}

std::string BuildTable(const NodalField& field, ValueFormat format)
{
    const int cells = field.m_nDivY + 1;
    std::string table;
    table.reserve(static_cast<std::size_t>(field.m_nDivX + 2) * cells * 11);
    int k = 0;
    for (int r = 0; r <= field.m_nDivX + 1; ++r) {
        for (int s = 1; s <= cells; ++s) {
            if (r == 0) {
                AppendInt(table, s);
            } else {
                ++k;
                AppendValue(table, field.m_W[k], format);
            }
            table += '\t';
        }
        table += '\n';
    }
    return table;
}

bool HasNonFiniteValue(const NodalField& field)
{
    for (int n = 1; n <= field.m_nNode; ++n) {
        if (!std::isfinite(field.m_W[n]))
            return true;
    }
    return false;
}
