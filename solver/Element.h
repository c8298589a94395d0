// The bilinear element of the regular grid, described once for the element loop that assembles
// it and for the operators of the eigen side that apply it element by element: the fractions
// and terms of its matrices, its 4 x 4 local matrix, and the map from its corners to the nodes.
#pragma once

#include <cstdint>

// The doubles nearest to 1/3, 1/9, 1/18 and 1/36. The element matrix multiplies by them;
// dividing by 3, 9, 18 or 36 instead can change the last bit.
inline constexpr double c3 = 1.0 / 3.0;
inline constexpr double c9 = 1.0 / 9.0;
inline constexpr double c18 = 1.0 / 18.0;
inline constexpr double c36 = 1.0 / 36.0;

// The terms of one dx x dy element of a lenX x lenY domain in divX x divY elements, in the
// element loop's arithmetic. The stiffness enters alpha^2 M - K as -K: its diagonal is -kD, and
// its neighbours along x and y and its opposite corners are +kX, +kY and +kO below.
struct ElementTerms {
    double area;  // (lenX lenY) / elements
    double kD;    // (dx/dy + dy/dx) / 3, the stiffness diagonal
    double kX;    // (dy/dx - dx/(2 dy)) / 3, minus the stiffness between neighbours along x
    double kY;    // (dx/dy - dy/(2 dx)) / 3, minus the stiffness between neighbours along y
    double kO;    // (dx/dy + dy/dx) / 6, minus the stiffness between opposite corners
};

inline ElementTerms ElementTermsOf(double lenX, double lenY, std::int32_t divX, std::int32_t divY,
                                   std::int32_t elements)
{
    const double area = (lenX * lenY) / static_cast<double>(elements);
    const double dx = lenX / divX;
    const double dy = lenY / divY;
    const double l = dx / dy;
    const double f = dy / dx;
    const double s = f + l;
    return {area, s * c3, (f - l * 0.5) * c3, (l - f * 0.5) * c3, (s * 0.5) * c3};
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
