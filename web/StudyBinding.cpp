// The page's convergence study, as membrane-solve --study writes it.
#include <emscripten/emscripten.h>

#include <optional>
#include <string>
#include <vector>

#include "command/InputConversion.h"
#include "command/RunArguments.h"
#include "command/Study.h"
#include "present/ReportText.h"
#include "web/Page.h"

using namespace web;

extern "C" {

// The convergence study as membrane-solve --study writes it, on the ladder "15x5,30x10,..." (the
// tool's own where empty), each mesh within the page's memory: of the solution at alpha with
// the option off, or with `resonances` of the `modes` lowest resonances, a whole number from 1
// to 1000; with the element of the schemes named, "standard", "low-dispersion" or "both", as
// --study --scheme takes them. The CSV, or "error: " and the reason.
EMSCRIPTEN_KEEPALIVE const char* membrane_study(int resonances, const char* alpha,
                                                const char* modes, const char* ladder,
                                                const char* schemeName)
try {
    Page& page = ThePage();
    std::string& text = page.studyText;
    page.studyNote.clear();
    const std::optional<std::vector<Scheme>> schemes = ReadStudySchemes(schemeName);
    if (!schemes) {
        text = "error: the scheme " + StudySchemeRefusal(schemeName);
        return text.c_str();
    }
    std::vector<StudyMesh> meshes = DefaultLadder();
    if (*ladder != '\0') {
        std::string error;
        const std::optional<std::vector<StudyMesh>> read = ReadLadder(ladder, error);
        if (!read) {
            text = "error: the ladder: " + error;
            return text.c_str();
        }
        meshes = *read;
    }
    if (const std::optional<std::string> large =
            MeshOverBudget(meshes.back().divX, meshes.back().divY, 1, kPageBudget,
                           "the " + ByteText(kPageBudget) + " a page may take")) {
        text = "error: " + *large;
        return text.c_str();
    }
    if (resonances) {
        const std::optional<std::int32_t> n = ReadStudyResonanceCount(modes);
        if (!n)
            text = "error: the count of resonances " + StudyResonanceCountRefusal(modes);
        else {
            const std::vector<ResonanceErrors> rows = StudyResonances(*n, meshes, 1, *schemes);
            text = StudyResonanceCsv(rows);
            page.studyNote = MissingResonancesNote(*n, meshes, rows).value_or("");
        }
        return text.c_str();
    }
    const std::optional<double> a = ReadPageAlpha(alpha, text);
    if (!a)
        return text.c_str();
    if (NearContinuumResonance(*a))
        text = "error: " + ContinuumResonanceRefusal(*a);
    else {
        const std::vector<SolutionErrors> rows = StudySolution(*a, meshes, *schemes);
        text = StudySolutionCsv(rows);
        page.studyNote = NonFiniteStudyNote(rows).value_or("");
    }
    return text.c_str();
} catch (const std::bad_alloc&) {
    return MemoryRefused(ThePage().studyText);
} catch (const std::length_error&) {
    return MemoryRefused(ThePage().studyText);
}

// What the last study says beside its table: that a solve is not finite, or that some mesh lacks
// some of the resonances; empty where neither holds.
EMSCRIPTEN_KEEPALIVE const char* membrane_study_note() { return ThePage().studyNote.c_str(); }

}  // extern "C"
