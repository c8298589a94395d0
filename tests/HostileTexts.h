// Texts a hostile or careless user might type, generated from a fixed seed, and an
// independent record of how the input fields convert them (the C library's strtoll and strtod
// in the C locale, applied to the part of the text that the rules accept).
#pragma once

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace hostile {

// Pieces that texts are built from; each generated text strings a few of them together.
inline const std::vector<std::string>& Pieces()
{
    static const std::vector<std::string> pieces = {
        " ", "\t", "\n", "\v", "\f", "\r", "\xe3\x80\x80" /* ideographic space */,
        "\xc2\xa0" /* no-break space */, "+", "-", "+-", "--", ".", "..", "e", "E", "d", "D",
        "e+", "d-", "E-", "nan", "NaN", "-nan", "inf", "INF", "infinity", "0x1p3", "0X1A", "0x",
        "\xef\xbc\x90", "\xef\xbc\x95", "\xef\xbc\x99" /* full-width 0 5 9 */,
        "\xef\xbc\x8d" /* full-width minus */, "\xef\xbc\x8e" /* full-width full stop */,
        "\xce\xb1" /* alpha */, "\xe8\xa8\x88\xe7\xae\x97", "\xef\xbd\xb5\xef\xbe\x9f",
        "\xf0\x9f\x98\x80" /* emoji */, "\xff", "\xc3", "\xe3\x80" /* broken sequences */,
        "\x01", "\x1b", "\x7f", ",", "1,5", "5.0", " 90", " 30", "0", "00", "1", "9",
    };
    return pieces;
}

class Generator {
public:
    explicit Generator(std::uint32_t seed) : m_rng(seed) {}

    std::string Next()
    {
        // One text in 400 is very long.
        if (Uniform(400) == 0)
            return LongText();
        std::string text;
        const int parts = 1 + Uniform(6);
        for (int p = 0; p < parts; ++p) {
            switch (Uniform(4)) {
            case 0:
                text += Digits(1 + Uniform(25));  // past the 32-bit range now and then
                break;
            case 1:
                text += std::string(1, "eEdD"[Uniform(4)]) + (Uniform(2) ? "-" : "+") +
                        Digits(1 + Uniform(12));  // exponents past the double range
                break;
            default:
                text += Pieces()[Uniform(static_cast<int>(Pieces().size()))];
            }
        }
        return text;
    }

private:
    int Uniform(int n) { return static_cast<int>(m_rng() % static_cast<std::uint32_t>(n)); }

    std::string Digits(int n)
    {
        std::string d;
        for (int i = 0; i < n; ++i)
            d += static_cast<char>('0' + Uniform(10));
        return d;
    }

    // 100 000 characters.
    std::string LongText()
    {
        std::string text;
        switch (Uniform(4)) {
        case 0:
            text.assign(100000, '9');
            break;
        case 1:
            text.assign("0.").append(99991, '0').append("5e99990");
            break;
        case 2:
            text.assign(50000, ' ').append("42").append(49998, 'x');
            break;
        default:
            text.assign("1").append(99999, '0');
        }
        return text;
    }

    std::mt19937 m_rng;
};

inline std::size_t SpanOf(const std::string& s, std::size_t from, const char* set)
{
    const std::size_t end = s.find_first_not_of(set, from);
    return (end == std::string::npos ? s.size() : end) - from;
}

constexpr const char* kBlanks = " \t\n\v\f\r";
constexpr const char* kDigits = "0123456789";

inline std::int32_t ModelCount(const std::string& text)
{
    std::size_t i = SpanOf(text, 0, kBlanks);
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    const std::size_t digits = SpanOf(text, i, kDigits);
    if (digits == 0)
        return 0;
    number += text.substr(i, digits);
    errno = 0;
    const long long v = std::strtoll(number.c_str(), nullptr, 10);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

// Expects the C locale.
inline double ModelAlpha(const std::string& text)
{
    std::size_t i = SpanOf(text, 0, kBlanks);
    std::string canonical;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        canonical += text[i++];
    const std::size_t whole = SpanOf(text, i, kDigits);
    canonical += text.substr(i, whole);
    i += whole;
    std::size_t fraction = 0;
    if (i < text.size() && text[i] == '.') {
        fraction = SpanOf(text, i + 1, kDigits);
        canonical += '.';
        canonical.append(text, i + 1, fraction);
        i += 1 + fraction;
    }
    if (whole + fraction == 0)
        return 0.0;
    if (i < text.size() && std::string("eEdD").find(text[i]) != std::string::npos) {
        std::size_t j = i + 1;
        std::string exponent;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        const std::size_t expDigits = SpanOf(text, j, kDigits);
        if (expDigits > 0) {
            canonical += 'e';
            canonical += exponent;
            canonical.append(text, j, expDigits);
        }
    }
    return std::strtod(canonical.c_str(), nullptr);
}

}  // namespace hostile
