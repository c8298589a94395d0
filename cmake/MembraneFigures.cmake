# The painting of the map cells and the figures with QPainter, and the drawing library that
# membrane-solve and the Python module load when a figure is asked for: the figures as bytes
# behind one exported function. Needs Qt 6's Gui and Svg found.
add_library(membrane_paint STATIC
  present/ColorMapPainter.cpp
  present/MapFigure.cpp
  present/SweepPlot.cpp
  present/StudyPlot.cpp
)
membrane_options(membrane_paint)
set_target_properties(membrane_paint PROPERTIES AUTOMOC ON)
target_link_libraries(membrane_paint PUBLIC membrane_present Qt6::Gui)

add_library(membrane_figures MODULE present/FigurePlugin.cpp)
membrane_options(membrane_figures)
set_target_properties(membrane_figures PROPERTIES
  PREFIX "" OUTPUT_NAME membrane-figures
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(membrane_figures PRIVATE membrane_paint Qt6::Svg)
