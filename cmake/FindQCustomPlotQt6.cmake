# Locates the Qt 6 build of QCustomPlot. Debian ships a CMake package only for
# the Qt 5 build, so header and library are found explicitly here and wrapped
# in the imported target QCustomPlotQt6.
find_path(QCUSTOMPLOT_INCLUDE_DIR qcustomplot.h)
find_library(QCUSTOMPLOT_QT6_LIBRARY NAMES QCustomPlotQt6 qcustomplot-qt6)
if(NOT QCUSTOMPLOT_INCLUDE_DIR OR NOT QCUSTOMPLOT_QT6_LIBRARY)
    message(FATAL_ERROR
        "QCustomPlot for Qt 6 not found (header: ${QCUSTOMPLOT_INCLUDE_DIR}, "
        "library: ${QCUSTOMPLOT_QT6_LIBRARY}). On Debian 12 install the packages "
        "libqcustomplot-dev and libqcustomplot2.1-qt6, or run scripts/test.sh.")
endif()
add_library(QCustomPlotQt6 UNKNOWN IMPORTED)
set_target_properties(QCustomPlotQt6 PROPERTIES
    IMPORTED_LOCATION ${QCUSTOMPLOT_QT6_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${QCUSTOMPLOT_INCLUDE_DIR}
    INTERFACE_COMPILE_DEFINITIONS QCUSTOMPLOT_USE_LIBRARY
    INTERFACE_LINK_LIBRARIES "Qt6::Widgets;Qt6::PrintSupport")
message(STATUS "QCustomPlot (Qt 6): ${QCUSTOMPLOT_QT6_LIBRARY}")
