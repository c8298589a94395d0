// What a Solution or a Shape writes, as membrane-solve writes it: its figure, drawn by the drawing
// library, which is loaded only when the first picture is asked for, and its files, through the
// tool's own writer.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "present/FigureApi.h"
#include "present/NodalField.h"

namespace py = pybind11;

using FieldFigure = bool (*FigureApi::*)(const NodalField&, const std::string&, FigureFormat,
                                         std::string&, std::string&);

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
