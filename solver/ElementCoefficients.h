// The fractions of the bilinear element's matrices, for the code that assembles them and the
// code that applies them element by element.
#pragma once

// The doubles nearest to 1/3, 1/9, 1/18 and 1/36. The element matrix multiplies by them;
// dividing by 3, 9, 18 or 36 instead can change the last bit.
inline constexpr double c3 = 1.0 / 3.0;
inline constexpr double c9 = 1.0 / 9.0;
inline constexpr double c18 = 1.0 / 18.0;
inline constexpr double c36 = 1.0 / 36.0;
