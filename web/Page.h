// What the page's bindings share: the page's one state (its records, its texts and the sweep and
// figures under way), which of its two solutions the parts beyond the dialog show, and the
// readings every part takes. Each binding file holds the C interface of one concept: the
// solutions and their files (SolveBinding), the resonances and shapes (ResonanceBinding), the
// sweep (SweepBinding), the study (StudyBinding) and the figures' pixels (FigureBinding).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command/Sweep.h"
#include "present/NodalField.h"
#include "solver/MembraneModel.h"
#include "solver/ModeShape.h"
#include "solver/SizedRecord.h"

namespace web {

// One object of named fields as JSON, for what crosses from the numbers to the page's script:
// texts (the tool's own number texts among them) as strings, counts as numbers, flags as
// booleans; the script reads each field by its name.
class JsonFields {
public:
    JsonFields& Text(std::string_view name, std::string_view value);
    JsonFields& Count(std::string_view name, long long value);
    JsonFields& Flag(std::string_view name, bool value);
    // A value that is JSON already: an array, an object.
    JsonFields& Raw(std::string_view name, std::string_view json);
    // "{...}".
    std::string Object() const { return "{" + m_fields + "}"; }

private:
    void Name(std::string_view name);
    std::string m_fields;
};
// "[a,b,...]" of objects.
std::string JsonArray(const std::vector<std::string>& objects);

// The memory a finer mesh's record may take: a quarter of the 2 GB WebAssembly's memory grows
// to, which leaves room for the sparse factor, Lanczos' vectors and the shapes.
inline constexpr double kPageBudget = 512e6;

// The CSV and VTK files of a solution, made when first asked for.
struct Files {
    std::string csv;
    std::string vtk;
};

struct Page {
    MembraneModel record;
    bool option = true;  // of the last computation, for the titles of the exports
    std::string list;    // the report list, each line ended by a line feed
    std::string table;   // the clipboard's table of the last computation that made one
    std::string note;    // the accuracy note of the last computation, "" for none
    Files files;
    // The last solve of a finer mesh, any counts within kPageBudget, read as membrane-solve
    // reads them; and which of the two solutions the figure, the resonances and the shapes show:
    // the one solved last.
    std::unique_ptr<SizedRecord> finer;
    bool finerOption = false;
    Files finerFiles;
    std::string finerText;
    bool finerShown = false;
    std::string studyText;
    std::string studyNote;
    std::vector<std::int32_t> cells;  // x, y, width, height, intensity of every map cell
    std::string resonances;           // the last list of resonances, or what is wrong
    // The sweep under way: its mesh and interval, the points so far, the text handed out.
    SweepMesh sweepMesh{};
    double a0 = 0.0, a1 = 0.0;
    std::int64_t points = 0;
    std::vector<SweepPoint> swept;
    std::string sweepText;
    // The figures: the pixels handed out, the shapes found, and the text that describes them.
    std::vector<std::uint32_t> pixels;
    std::vector<ModeShape> shapes;
    std::int32_t shapesDivX = 0, shapesDivY = 0;
    std::string figureText;
};

// The page's one state.
Page& ThePage();

// The dialog's solution or the finer mesh's, and the option it was solved with; false where
// that one is not solved.
bool SolutionOf(const Page& page, bool finer, NodalField& field, bool& option);

// The solution the parts beyond the dialog show: the one solved last.
bool ShownField(const Page& page, NodalField& field, bool& option);

// "error: " and the mesh's resonances where k lies outside them, or beyond what Lanczos finds
// at once on a mesh beyond the dialog's (more would take many factorisations each); "" where
// 1..k may be asked for.
std::string ResonanceRangeFault(std::int32_t divX, std::int32_t divY, std::int32_t first,
                                std::int32_t last);

// The number of a resonance of the mesh shown, or how many, read from its text as the tool reads
// --modes and --shape (a whole number from 1 to the mesh's resonances and `most`), and within
// what the page finds at once; nothing and "error: " and the reason, after `name`, in `error`.
std::optional<std::int32_t> ReadShownResonanceNumber(const Page& page, const char* name,
                                                     const char* text, std::int32_t most,
                                                     std::string& error);

// The mesh shown and its option, and "" where its resonances first..last may be asked for; else
// "error: " and the reason. `what` names what is asked for: "resonances", "shapes".
std::string AskOfShownMesh(const Page& page, const char* what, std::int32_t first,
                           std::int32_t last, NodalField& field, bool& option);

// A count of divisions of a finer mesh, read as membrane-solve reads --divx; nothing and the
// reason where the text is no whole number from 1 up.
std::optional<std::int32_t> ReadDivisions(const char* text, const char* name, std::string& error);

// Alpha read as membrane-solve reads it: a finite decimal number.
std::optional<double> ReadPageAlpha(const char* text, std::string& error);

// What a binding returns where the memory it needs cannot be had (WebAssembly's memory ends at
// 2 GB): `text` set to "error: " and the reason, and its characters. Each binding that
// allocates with its inputs catches std::bad_alloc and std::length_error for it, so that the
// module goes on working instead of aborting.
const char* MemoryRefused(std::string& text);
inline constexpr std::string_view kPageMemoryRefusal =
    "the memory this needs could not be allocated: a page's WebAssembly memory ends at 2 GB";

// 0xAARRGGBB to the bytes R, G, B, A of a canvas's image data, in a little-endian word.
void ToCanvasOrder(std::vector<std::uint32_t>& pixels);

// A file of the dialog's solution (finer 0) or the finer mesh's (1), made by make(field, option)
// when first asked for: a computation writes only what it shows. Empty where that one is not
// solved.
template <class Make>
const std::string& FileOf(int finer, std::string Files::*which, Make make)
{
    Page& page = ThePage();
    std::string& file = (finer ? page.finerFiles : page.files).*which;
    NodalField field;
    bool option = false;
    if (file.empty() && SolutionOf(page, finer != 0, field, option))
        file = make(field, option);
    return file;
}

}  // namespace web
