// The fractions and terms of the bilinear element's matrices, for the element loop that
// assembles them and the operators that apply them element by element: one place for both.
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
