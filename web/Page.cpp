// The page's state and the readings its bindings share.
#include "web/Page.h"

#include <algorithm>
#include <limits>

#include "command/ComputeCommand.h"
#include "command/InputConversion.h"
#include "command/LowestResonances.h"
#include "command/RunArguments.h"
#include "solver/Resonance.h"

namespace web {

namespace {

// The text as a JSON string, quotes, backslashes and control characters escaped.
void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            (out += '\\') += c;
        } else if (byte < 0x20) {
            const char hex[] = "0123456789abcdef";
            ((out += "\\u00") += hex[byte >> 4]) += hex[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

void JsonFields::Name(std::string_view name)
{
    if (!m_fields.empty())
        m_fields += ',';
    AppendJsonString(m_fields, name);
    m_fields += ':';
}

JsonFields& JsonFields::Text(std::string_view name, std::string_view value)
{
    Name(name);
    AppendJsonString(m_fields, value);
    return *this;
}

JsonFields& JsonFields::Count(std::string_view name, long long value)
{
    Name(name);
    m_fields += std::to_string(value);
    return *this;
}

JsonFields& JsonFields::Flag(std::string_view name, bool value)
{
    Name(name);
    m_fields += value ? "true" : "false";
    return *this;
}

JsonFields& JsonFields::Raw(std::string_view name, std::string_view json)
{
    Name(name);
    m_fields += json;
    return *this;
}

std::string JsonArray(const std::vector<std::string>& objects)
{
    std::string out = "[";
    for (std::size_t k = 0; k < objects.size(); ++k)
        (out += k ? "," : "") += objects[k];
    return out + "]";
}

// The dialog's solution or the finer mesh's, and the option it was solved with; false where
// that one is not solved.
bool SolutionOf(const Page& page, bool finer, NodalField& field, bool& option)
{
    if (finer ? !(page.finer && page.finer->m_bSolved) : page.record.m_bSolved == 0)
        return false;
    field = finer ? NodalField(*page.finer) : NodalField(page.record);
    option = finer ? page.finerOption : page.option;
    return true;
}

// The solution the parts beyond the dialog show: the one solved last.
bool ShownField(const Page& page, NodalField& field, bool& option)
{
    return SolutionOf(page, page.finerShown, field, option);
}

// "error: " and the mesh's resonances where k lies outside them, or beyond what Lanczos finds
// at once on a mesh beyond the dialog's (more would take many factorisations each); "" where
// 1..k may be asked for.
std::string ResonanceRangeFault(std::int32_t divX, std::int32_t divY, std::int32_t first,
                                std::int32_t last)
{
    const std::int32_t available = ResonanceCount(divX, divY);
    if (available < 1)
        return "error: " + NoResonanceText(divX, divY);
    const std::int32_t most = WithinDialogLimits(divX, divY) ? available
                                                             : std::min(available, kLanczosMost);
    if (first >= 1 && first <= last && last <= most)
        return {};
    const std::string mesh = "the " + std::to_string(divX) + " x " + std::to_string(divY) + " mesh";
    if (most < available)
        return "error: on " + mesh + " the page finds the lowest " + std::to_string(most) +
               " resonances; ask for 1 to " + std::to_string(most);
    return "error: " + mesh + " has " + std::to_string(available) +
           " resonances, one per node off the fixed edges; ask for 1 to " +
           std::to_string(available);
}

// The mesh shown and its option, and "" where its resonances first..last may be asked for; else
// "error: " and the reason. `what` names what is asked for: "resonances", "shapes".
std::string AskOfShownMesh(const Page& page, const char* what, std::int32_t first,
                           std::int32_t last, NodalField& field, bool& option)
{
    if (!ShownField(page, field, option))
        return std::string("error: compute first: the ") + what + " are those of the mesh computed";
    return ResonanceRangeFault(field.m_nDivX, field.m_nDivY, first, last);
}

std::optional<std::int32_t> ReadShownResonanceNumber(const Page& page, const char* name,
                                                     const char* text, std::int32_t most,
                                                     std::string& error)
{
    NodalField field;
    bool option = false;
    if (!ShownField(page, field, option)) {
        error = std::string("error: compute first: the ") + name + " is of the mesh computed";
        return std::nullopt;
    }
    std::string refusal;
    const std::optional<std::int32_t> n =
        ReadResonanceNumber(name, text, field.m_nDivX, field.m_nDivY, most, refusal);
    if (!n) {
        error = "error: " + refusal;
        return std::nullopt;
    }
    error = ResonanceRangeFault(field.m_nDivX, field.m_nDivY, 1, *n);
    if (!error.empty())
        return std::nullopt;
    return n;
}

// A count of divisions of a finer mesh, read as membrane-solve reads --divx; nothing and the
// reason where the text is no whole number from 1 up.
std::optional<std::int32_t> ReadDivisions(const char* text, const char* name, std::string& error)
{
    if (const std::optional<std::int32_t> n = ReadDivisionCount(text))
        return n;
    error = std::string("error: ") + name + ' ' + DivisionCountRefusal(text);
    return std::nullopt;
}

// Alpha read as membrane-solve reads it: a finite decimal number.
std::optional<double> ReadPageAlpha(const char* text, std::string& error)
{
    if (const std::optional<double> alpha = ReadFiniteNumber(text))
        return alpha;
    error = std::string("error: alpha ") + DecimalRefusal(text);
    return std::nullopt;
}

// 0xAARRGGBB to the bytes R, G, B, A of a canvas's image data, in a little-endian word.
void ToCanvasOrder(std::vector<std::uint32_t>& pixels)
{
    for (std::uint32_t& p : pixels)
        p = (p & 0xff00ff00u) | (p >> 16 & 0xffu) | (p & 0xffu) << 16;
}

Page& ThePage()
{
    static Page* page = [] {
        auto* p = new Page;
        p->record.m_dLenX = MembraneModel::kLenX;
        p->record.m_dLenY = MembraneModel::kLenY;
        p->record.m_bSolved = 0;
        p->record.m_bOption = 1;
        return p;
    }();
    return *page;
}

const char* MemoryRefused(std::string& text)
{
    text = "error: " + std::string(kPageMemoryRefusal);
    return text.c_str();
}

}  // namespace web
