// The fields as figures for a report: the solution and a mode shape on the domain in its
// proportions, with axes in domain units, a colour bar and a title, and a gallery of shapes.
// The solution's colours are the colour map's, blue to white; a shape's are a diverging scale
// centred on zero, so that its nodal lines show.
#pragma once

#include <span>
#include <string>

#include <QPainter>
#include <QSize>

#include "present/FigureLayout.h"
#include "present/FigureApi.h"
#include "present/NodalField.h"

inline constexpr int kFigureWidth = kFieldFigureWidth;
inline constexpr int kFigureHeight = kFieldFigureHeight;

// Each paints its figure on a white page of its size (kFigureWidth x kFigureHeight, or
// ShapeGallerySize), a raster image or a vector one alike: the fields as images, the rest as
// lines and text. They need a QGuiApplication, for the text, and a record with counts of at
// least 1. Values that are not finite are drawn grey, the scale taken from the finite ones, and
// a line in the figure says how many there are.
// The solution in m_W, from blue (lowest) to white (highest) as the colour map shades it.
void PaintMapFigure(QPainter& p, const NodalField& field, const std::string& title);
// A shape in m_W, blue (negative) through white (0) to red (positive), the scale symmetric about
// zero out to the largest magnitude.
void PaintShapeFigure(QPainter& p, const NodalField& field, const std::string& title);
// The panels in reading order, each labelled with its index, (kx, ky) and alpha, all on one
// diverging scale; a divX x divY mesh.
QSize ShapeGallerySize(std::size_t panels);
void PaintShapeGallery(QPainter& p, std::int32_t divX, std::int32_t divY,
                       std::span<const ShapePanel> panels, const std::string& title);
