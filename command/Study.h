// How close the mesh comes to the membrane itself: the convergence study. The finite-element
// solution with the option off is compared with the continuum's,
//   w(x, y) = sin(alpha (15 - x)) / sin(15 alpha),
// (1 on the left edge, 0 on the right, top and bottom free), and the resonances with the
// continuum's pi sqrt((kx / 15)^2 + (ky / 5)^2), on a ladder of ever finer meshes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "solver/Convergence.h"

// 15 x 5, 30 x 10, 60 x 20, 120 x 40 and 240 x 80: square elements, each half the last; as the
// front ends show it, and as ReadLadder reads it.
inline constexpr std::string_view kDefaultLadderText = "15x5,30x10,60x20,120x40,240x80";
std::vector<StudyMesh> DefaultLadder();

// A resonance study takes from 1 to this many resonances.
inline constexpr std::int32_t kMostStudyResonances = 1000;
// The number of resonances of a study, from 1 to kMostStudyResonances; nothing for any other
// text.
std::optional<std::int32_t> ReadStudyResonanceCount(std::string_view text);
// Why a count was refused, after the name of what refuses it: "takes a whole number from 1 to
// 1000, not 'x'".
std::string StudyResonanceCountRefusal(std::string_view text);

// "15x5,30x10,...": meshes of at least 1 x 1, each finer than the one before in both
// directions. On a bad text, nothing and the reason in `error`.
std::optional<std::vector<StudyMesh>> ReadLadder(std::string_view text, std::string& error);

// Whether the continuum resonates within 1e-6 (relative) of alpha: sin(15 alpha) near 0, where
// the continuum solution does not exist.
bool NearContinuumResonance(double alpha);
// Why a study refuses such an alpha: "alpha 0.2094... lies within 1e-6 of a resonance of the
// continuum, ...".
std::string ContinuumResonanceRefusal(double alpha);

struct SolutionErrors {
    StudyMesh mesh;
    double h;
    double pointsPerWavelength;
    double maxNodal;  // the largest |w_h - w| at the nodes
    double l2;        // || w_h - w ||, over the domain
    double h1;        // | w_h - w |_1, the seminorm: || grad (w_h - w) ||
    // The orders the three show against the mesh before; NaN on the first mesh.
    double orderMaxNodal, orderL2, orderH1;
    bool finite;  // every value of the mesh's solve is finite
    Scheme scheme = Scheme::Standard;
};

// The schemes a study compares, by the names every front end takes: "standard",
// "low-dispersion", or "both", the standard one first; nothing for any other text.
inline constexpr std::string_view kStudySchemeNames = "standard, low-dispersion or both";
std::optional<std::vector<Scheme>> ReadStudySchemes(std::string_view name);
// Why a name was refused, after the name of what reads it: "takes standard, low-dispersion or
// both, not 'all'".
std::string StudySchemeRefusal(std::string_view name);

// The solution of every mesh of the ladder at alpha, the option off, with the scheme's element,
// against the continuum (ErrorsAgainstContinuum). Requires a finite alpha away from the
// continuum's resonances.
std::vector<SolutionErrors> StudySolution(double alpha, const std::vector<StudyMesh>& ladder,
                                          Scheme scheme = Scheme::Standard);
// The same for each scheme in turn, the rows of one after those of the other, each with its own
// orders.
std::vector<SolutionErrors> StudySolution(double alpha, const std::vector<StudyMesh>& ladder,
                                          const std::vector<Scheme>& schemes);
// Where a mesh's solve is not finite (alpha^2 overflows, or a pivot vanishes), what every front
// end says of the rows: "the solve of the 15 x 5 mesh is not finite, and so are its errors",
// each mesh named once whatever its schemes; nothing where all are finite.
std::optional<std::string> NonFiniteStudyNote(const std::vector<SolutionErrors>& rows);

struct ResonanceErrors {
    std::int32_t index;  // among the continuum's resonances, from 1
    std::int32_t kx, ky;
    double continuum;
    StudyMesh mesh;
    double h;
    double alpha;  // the mesh's resonance with kx and ky half-waves
    double error;  // |alpha - continuum|
    double order;  // the order the error shows against the mesh before; NaN on the first
    bool counted;  // the solver's inertia counts a resonance within 1e-9 of alpha
    Scheme scheme = Scheme::Standard;
};

// For the n lowest resonances of the continuum, by their half-waves, the mesh's resonance with
// the same half-waves on every mesh of the ladder that has it, row by row, mesh by mesh.
// On the regular grid the mesh's modes are products of the line elements' sines along x and
// cosines along y, their resonances in closed form for the scheme's element; the solver's
// inertia count confirms each.
std::vector<ResonanceErrors> StudyResonances(std::int32_t n, const std::vector<StudyMesh>& ladder,
                                             int threads, Scheme scheme = Scheme::Standard);
// The same for each scheme in turn.
std::vector<ResonanceErrors> StudyResonances(std::int32_t n, const std::vector<StudyMesh>& ladder,
                                             int threads, const std::vector<Scheme>& schemes);

// Where some mesh of the ladder lacks some of the n resonances (a mesh has kx < divx and
// ky <= divy), what every front end says of the rows: "of the 1000 lowest resonances of the
// continuum, the 15 x 5 mesh has 84 and the 30 x 10 mesh 319; the table lists those"; nothing
// where every mesh has them all. Rows of several schemes are counted once, by the first's: every
// scheme has the same resonances on a mesh.
std::optional<std::string> MissingResonancesNote(std::int32_t n,
                                                 const std::vector<StudyMesh>& ladder,
                                                 const std::vector<ResonanceErrors>& rows);

// The solution study as CSV: one row a mesh, "divx,divy,h,points_per_wavelength,
// max_nodal_error,l2_error,h1_error,order_max_nodal,order_l2,order_h1", no order on the first.
// Where a row is of another scheme than the standard one, every row ends in a column "scheme",
// its name; a study of the standard scheme alone writes the table as it always has.
std::string StudySolutionCsv(const std::vector<SolutionErrors>& rows);
// The resonance study as CSV: one row a resonance and mesh, "index,kx,ky,divx,divy,h,alpha,
// alpha_continuum,error,order", with the column "scheme" alike.
std::string StudyResonanceCsv(const std::vector<ResonanceErrors>& rows);

// What the mesh's dispersion says of a solve at alpha with the scheme's element: the points per
// wavelength, the phase error per wavelength of the discrete wave of a line of elements of the
// mesh's size h (from the scheme's dispersion relation, PhaseError: the error |k - alpha| /
// alpha; infinite where no wave propagates), and the coarsest mesh of square elements, no
// coarser than the mesh itself, that brings it under 1% with the same scheme.
struct Dispersion {
    double pointsPerWavelength;
    double phaseError;
    StudyMesh fineEnough;
};
Dispersion DispersionOf(const StudyMesh& mesh, double alpha, Scheme scheme = Scheme::Standard);

// Below this many points per wavelength a solve says how far its mesh is from the membrane.
inline constexpr double kFewPointsPerWavelength = 10.0;

// The note of a solve at alpha on the mesh with the scheme's element when it has fewer than
// kFewPointsPerWavelength: one line, without a line feed; nothing otherwise (also for alpha 0 or
// not finite). It gives the phase error and the mesh that brings it under 1%, for the scheme in
// use; for the standard scheme also the low-dispersion scheme's phase error on the same mesh.
std::optional<std::string> AccuracyNote(const StudyMesh& mesh, double alpha,
                                        Scheme scheme = Scheme::Standard);
