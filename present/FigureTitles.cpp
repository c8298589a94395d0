// Figure titles, numbers as the shortest text that reads back to the same double.
#include "present/FigureTitles.h"

#include "present/ReportText.h"

namespace {

// "90 x 30 divisions"; a scheme other than the standard one is named after the mesh.
std::string Mesh(std::int32_t divX, std::int32_t divY, Scheme scheme)
{
    std::string mesh = std::to_string(divX) + " x " + std::to_string(divY) + " divisions";
    if (scheme != Scheme::Standard)
        (mesh += ", ") += std::string(SchemeName(scheme)) + " scheme";
    return mesh;
}

const char* OnOff(bool option)
{
    return option ? "on" : "off";
}

}  // namespace

std::string SolutionTitle(const NodalField& field, bool option)
{
    std::string title =
        "W on the membrane: " + Mesh(field.m_nDivX, field.m_nDivY, field.m_scheme) + ", alpha ";
    AppendValue(title, field.m_dAlpha, ValueFormat::Shortest);
    return title + ", option " + OnOff(option);
}

std::string SweepTitle(std::int32_t divX, std::int32_t divY, bool option, Scheme scheme)
{
    return "Largest |W| against alpha: " + Mesh(divX, divY, scheme) + ", option " + OnOff(option);
}

std::string ShapeTitle(std::int32_t index, std::int32_t kx, std::int32_t ky, double alpha,
                       std::int32_t divX, std::int32_t divY, Scheme scheme)
{
    std::string title = "Mode " + std::to_string(index) + ", (kx, ky) = (" + std::to_string(kx) +
                        ", " + std::to_string(ky) + "), alpha ";
    AppendValue(title, alpha, ValueFormat::Shortest);
    return title + ": " + Mesh(divX, divY, scheme);
}

std::string ShapesTitle(std::int32_t count, std::int32_t divX, std::int32_t divY, Scheme scheme)
{
    return "The " + std::to_string(count) + " lowest mode shapes: " + Mesh(divX, divY, scheme);
}
