// What a Solution or a Shape writes, as membrane-solve writes it: its figure, drawn by the drawing
// library, which is loaded only when the first picture is asked for, and its files, through the
// tool's own writer.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "Arrays.h"
#include "present/FigureApi.h"
#include "present/NodalField.h"
#include "present/NodeExport.h"

namespace py = pybind11;


// The figure in the format of `format` ("png", "pdf" or "svg"), or where that is None, of the
// path's extension, PNG without one; returned as bytes when path is None, else written there.
py::object Figure(const NodalField& field, const std::string& title, FieldFigure figure,
                  const py::object& path, const py::object& format);
// The PNG of the figure, for a notebook's _repr_png_.
py::bytes FigurePng(const NodalField& field, const std::string& title, FieldFigure figure);
// Writes bytes to the file at path (a str or an os.PathLike) as membrane-solve writes its
// files; an OSError with the reason where it cannot.
void WriteFile(const py::object& path, const std::string& bytes);

// The docstrings of the methods Solution and Shape share.
extern const char* const kFigureDoc;
extern const char* const kToCsvDoc;
extern const char* const kToVtkDoc;
extern const char* const kToTableDoc;

// Adds to the class of a result with a field what Solution and Shape share: X and Y, figure(),
// _repr_png_(), to_csv(), to_vtk() and to_table(). T has x and y, Field(), Title() and Table().
template <class T>
void BindFieldOutputs(py::class_<T>& result, FieldFigure figure)
{
    result
        .def_property_readonly("X", [](const T& r) { return GridCoordinate(r.x, r.y, true); })
        .def_property_readonly("Y", [](const T& r) { return GridCoordinate(r.x, r.y, false); })
        .def(
            "figure",
            [figure](const T& r, const py::object& path, const py::object& format) {
                return Figure(r.Field(), r.Title(), figure, path, format);
            },
            py::arg("path") = py::none(), py::arg("format") = py::none(), kFigureDoc)
        .def("_repr_png_",
             [figure](const T& r) { return FigurePng(r.Field(), r.Title(), figure); })
        .def(
            "to_csv", [](const T& r, const py::object& path) { WriteFile(path, NodeCsv(r.Field())); },
            py::arg("path"), kToCsvDoc)
        .def(
            "to_vtk",
            [](const T& r, const py::object& path) {
                WriteFile(path, RectilinearVtk(r.Field(), r.Title()));
            },
            py::arg("path"), kToVtkDoc)
        .def(
            "to_table", [](const T& r, const py::object& path) { WriteFile(path, r.Table()); },
            py::arg("path"), kToTableDoc)
        // Every pickle protocol: protocols 0 and 1 would otherwise make the object through
        // copyreg's object.__new__, which a pybind11 class cannot take. The same reduction as
        // protocol 2's, cls.__new__(cls) and then __setstate__, serves them all.
        .def("__reduce__", [](const py::object& self) {
            return py::make_tuple(py::module_::import("copyreg").attr("__newobj__"),
                                  py::make_tuple(py::type::of(self)), self.attr("__getstate__")());
        });
}
