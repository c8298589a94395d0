// The figures through the drawing library, and the files through the tool's writer.
#include "Outputs.h"

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "command/FigureLoader.h"
#include "command/OutputFile.h"

namespace {

// The bytes of the path as open() takes them: os.fspath, then os.fsencode, so that a name that
// is no valid UTF-8 (its bytes kept as surrogates by Python) reaches the file system as it is.
std::string PathText(const py::object& path)
{
    const py::object os = py::module_::import("os");
    if (!py::isinstance<py::str>(path) && !py::isinstance<py::bytes>(path) &&
        !py::hasattr(path, "__fspath__"))
        throw py::type_error("path takes a str or an os.PathLike, not " +
                             std::string(py::str(py::type::handle_of(path).attr("__name__"))));
    return os.attr("fsencode")(os.attr("fspath")(path)).cast<py::bytes>().cast<std::string>();
}

// The path as a message shows it: its repr, which any name has.
std::string PathShown(const py::object& path)
{
    return py::repr(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

FigureFormat ReadFormat(const std::string* path, const py::object& pathObject,
                        const py::object& format)
{
    std::optional<FigureFormat> byName;
    if (path) {
        byName = FigureFormatOf(*path);
        if (!byName)
            throw py::value_error("a figure is written as .png, .pdf or .svg, by the path's "
                                  "extension, not " + PathShown(pathObject));
    }
    if (format.is_none())
        return byName.value_or(FigureFormat::Png);
    if (!py::isinstance<py::str>(format))
        throw py::type_error("format takes 'png', 'pdf' or 'svg', not " +
                             py::repr(format).cast<std::string>());
    const std::optional<FigureFormat> asked = FigureFormatOf("figure." + format.cast<std::string>());
    if (!asked || format.cast<std::string>().empty())
        throw py::value_error("format takes 'png', 'pdf' or 'svg', not " +
                              py::repr(format).cast<std::string>());
    // A name without an extension takes any format; one with an extension must agree.
    if (path && path->rfind('.') != std::string::npos && byName != asked &&
        path->find('/', path->rfind('.')) == std::string::npos)
        throw py::value_error("format " + py::repr(format).cast<std::string>() +
                              " disagrees with the extension of " + PathShown(pathObject));
    return *asked;
}

// The drawing library, loaded at the first picture; a Qt application lives only while one
// figure is drawn, so that figures are drawn one at a time.
std::string Draw(const NodalField& field, const std::string& title, FieldFigure figure,
                 FigureFormat format)
{
    static std::mutex drawing;
    std::string bytes, error;
    bool drawn = false;
    {
        const py::gil_scoped_release release;
        const std::lock_guard<std::mutex> lock(drawing);
        const LoadedFigures figures =
            LoadFigureLibrary(ModuleFigureLibrary(reinterpret_cast<const void*>(&PathText)));
        if (!figures.api)
            error = "the drawing library cannot be loaded (" + figures.error +
                    "); figures need Qt 6's Gui and Svg (Debian: libqt6gui6 libqt6svg6, and "
                    "qt6-base-dev qt6-svg-dev where the module is built with them)";
        else
            drawn = (figures.api->*figure)(field, title, format, bytes, error);
    }
    if (!drawn)
        throw std::runtime_error("cannot draw the figure: " + error);
    return bytes;
}

}  // namespace

py::object Figure(const NodalField& field, const std::string& title, FieldFigure figure,
                  const py::object& path, const py::object& format)
{
    std::optional<std::string> name;
    if (!path.is_none())
        name = PathText(path);
    const std::string bytes =
        Draw(field, title, figure, ReadFormat(name ? &*name : nullptr, path, format));
    if (!name)
        return py::bytes(bytes);
    WriteFile(path, bytes);
    return py::none();
}

py::bytes FigurePng(const NodalField& field, const std::string& title, FieldFigure figure)
{
    return py::bytes(Draw(field, title, figure, FigureFormat::Png));
}

void WriteFile(const py::object& path, const std::string& bytes)
{
    const std::string name = PathText(path);
    // "-" is a file of that name here, not standard output, which belongs to Python.
    const std::string target = name == kStandardOutputName ? "./-" : name;
    std::error_code error;
    {
        const py::gil_scoped_release release;
        error = WriteOutputFile(target, bytes, stdout);
    }
    if (error) {
        PyErr_SetObject(PyExc_OSError,
                        py::make_tuple(error.value(), error.message(),
                                       py::module_::import("os").attr("fspath")(path))
                            .ptr());
        throw py::error_already_set();
    }
}

const char* const kFigureDoc = R"(The figure, as membrane-solve --figure draws it.

Parameters
----------
path : str or os.PathLike, optional
    Where to write it. Without it the figure is returned as bytes.
format : str, optional
    'png', 'pdf' or 'svg'. Default: by the path's extension, else 'png'. A PDF page or an SVG
    drawing has vector axes, lines and text, the field as an image.

Returns
-------
bytes or None
    The figure's bytes without a path; None when it was written.

Raises
------
ValueError
    Another format or extension, or a format that disagrees with the path's extension.
OSError
    The file cannot be written.
RuntimeError
    The drawing library cannot be loaded.
)";

const char* const kToCsvDoc = R"(Write the nodes as membrane-solve --csv writes them.

One row per node: node,i,j,x,y,w, numbers as the shortest text that reads back the same. The
file is written whole or not at all.
)";

const char* const kToVtkDoc = R"(Write the nodes as membrane-solve --vtk writes them.

A VTK rectilinear grid (legacy format, binary) with the point data w, for ParaView and VTK.
)";

const char* const kToTableDoc = R"(Write the table as membrane-solve writes it on standard output.

A header line with the row numbers, then one line per node column with its values in "%.6f";
a tab after every cell, a line feed after every line.
)";
