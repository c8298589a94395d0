// The fields as figures for a report: the solution and a mode shape on the domain in its
// proportions, with axes in domain units, a colour bar and a title, and a gallery of shapes.
// The solution's colours are the colour map's, blue to white; a shape's are a diverging scale
// centred on zero, so that its nodal lines show.
#pragma once

#include <span>
#include <string>

#include <QImage>

#include "present/FigureApi.h"
#include "present/NodalField.h"

inline constexpr int kFigureWidth = 960;
inline constexpr int kFigureHeight = 380;

// Need a QGuiApplication, for the text, and a record with counts of at least 1.
// The solution in m_W, from blue (lowest) to white (highest) as the colour map shades it.
QImage MapFigure(const NodalField& record, const std::string& title);
// A shape in m_W, blue (negative) through white (0) to red (positive), the scale symmetric about
// zero out to the largest magnitude.
QImage ShapeFigure(const NodalField& record, const std::string& title);
// The panels in reading order, each labelled with its index, (kx, ky) and alpha, all on one
// diverging scale; a divX x divY mesh.
QImage ShapeGallery(std::int32_t divX, std::int32_t divY, std::span<const ShapePanel> panels,
                    const std::string& title);
