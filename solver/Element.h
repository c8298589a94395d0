// The bilinear element of the regular grid, described once for the element loop that assembles
// it and for the operators of the eigen side that apply it element by element: the fractions
// and terms of its matrices, its 4 x 4 local matrix, and the map from its corners to the nodes.
#pragma once

#include <cstdint>
#include <string_view>

// The doubles nearest to 1/3, 1/9, 1/18 and 1/36. The element matrix multiplies by them;
// dividing by 3, 9, 18 or 36 instead can change the last bit.
inline constexpr double c3 = 1.0 / 3.0;
inline constexpr double c9 = 1.0 / 9.0;
inline constexpr double c18 = 1.0 / 18.0;
inline constexpr double c36 = 1.0 / 36.0;

// Where the element's integrals are evaluated. Both keep the bilinear element, its nodes and its
// nine-point stencil, and both are Kronecker products of one line element's matrices:
// K = Kx (x) My + Mx (x) Ky and M = Mx (x) My, with Kx = (1/h) [1 -1; -1 1].
//  - Standard: 2 x 2 Gauss points (+-1/sqrt 3), the exact integrals: M1 = h/6 [2 1; 1 2]. The
//    dialog's element, and every front end's by default.
//  - LowDispersion: the mass and the stiffness's cross factor both at (+-sqrt(2/3)) with unit
//    weights (Guddati and Yue's modified integration): M1 = h/12 [5 1; 1 5]. The phase error of
//    a discrete wave falls from second to fourth order in k h, in every direction.
enum class Scheme : std::uint8_t { Standard, LowDispersion };

// The names every front end gives the schemes: "standard", "low-dispersion".
constexpr std::string_view SchemeName(Scheme scheme)
{
    return scheme == Scheme::LowDispersion ? "low-dispersion" : "standard";
}

// The terms of one dx x dy element of a lenX x lenY domain in divX x divY elements, in the
// element loop's arithmetic, for the line mass h [a b; b a] of the scheme (standard: a = 1/3,
// b = 1/6; low-dispersion: a = 5/12, b = 1/12). The stiffness enters alpha^2 M - K as -K: its diagonal is -kD, and
// its neighbours along x and y and its opposite corners are +kX, +kY and +kO below. The mass is
// area times mD on the diagonal, mX and mY between neighbours along x and y, mO between opposite
// corners.
struct ElementTerms {
    double area;  // (lenX lenY) / elements
    double kD;    // a (dx/dy + dy/dx), the stiffness diagonal
    double kX;    // a dy/dx - b dx/dy, minus the stiffness between neighbours along x
    double kY;    // a dx/dy - b dy/dx, minus the stiffness between neighbours along y
    double kO;    // b (dx/dy + dy/dx), minus the stiffness between opposite corners
    double mD, mX, mY, mO;  // a^2, ab, ab, b^2
};

inline ElementTerms ElementTermsOf(double lenX, double lenY, std::int32_t divX, std::int32_t divY,
                                   std::int32_t elements, Scheme scheme = Scheme::Standard)
{
    const double area = (lenX * lenY) / static_cast<double>(elements);
    const double dx = lenX / divX;
    const double dy = lenY / divY;
    const double l = dx / dy;
    const double f = dy / dx;
    const double s = f + l;
    if (scheme == Scheme::Standard)
        return {area, s * c3, (f - l * 0.5) * c3, (l - f * 0.5) * c3, (s * 0.5) * c3,
                c9, c18, c18, c36};
    const double c12 = 1.0 / 12.0, c144 = 1.0 / 144.0;
    return {area, (s * 5.0) * c12, (f * 5.0 - l) * c12, (l * 5.0 - f) * c12, s * c12,
            25.0 * c144, 5.0 * c144, 5.0 * c144, c144};
}

// The scheme of a record: the sized record's own, the dialog's record always Standard.
template <class R>
Scheme SchemeOfRecord(const R& rec)
{
    if constexpr (requires { rec.m_scheme; })
        return rec.m_scheme;
    else
        return Scheme::Standard;
}

// The nodes of element e (1-based, column-major) of a mesh of divY elements along y, counter-
// clockwise from the lower left corner: n1, n1 + divY + 1, n1 + divY + 2, n1 + 1.
struct ElementNodes {
    std::int32_t node[4];
};
inline ElementNodes ElementNodesOf(std::int32_t e, std::int32_t divY)
{
    const std::int32_t n1 = e + (e - 1) / divY;
    return {{n1, n1 + divY + 1, n1 + divY + 2, n1 + 1}};
}

// The element's local matrix from its four kinds of entry: the diagonal D, the neighbours along
// x (X) and along y (Y), and the opposite corners (O), corners in the order of ElementNodes.
struct LocalMatrix {
    double value[4][4];
};
inline LocalMatrix LocalMatrixOf(double D, double X, double Y, double O)
{
    return {{
        {D, X, O, Y},
        {X, D, Y, O},
        {O, Y, D, X},
        {Y, O, X, D},
    }};
}
